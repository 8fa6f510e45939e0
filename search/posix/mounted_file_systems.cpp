#include "search/posix/mounted_file_systems.h"

#include "search/posix/mount_table.h"

namespace dustvane {

std::vector<MountedFileSystem> MountedFileSystems() {
  std::vector<MountedFileSystem> mounted;
  for (const Mount& mount : ReadMountTable()) {
    mounted.push_back({mount.point, mount.type, !IsSystemMount(mount)});
  }
  return mounted;
}

}  // namespace dustvane
