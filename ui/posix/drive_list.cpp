// Drive1's list on POSIX systems: the mounted file systems a user would
// search, shown by their mount points.

#include "ui/posix/drive_list.h"

#include <sys/stat.h>

#include <algorithm>
#include <string_view>

#include "ui/drive_list.h"
#include "ui/path_text.h"

namespace dustvane {

namespace {

// Read-only images of packaged software and the system's run-time areas hold
// nothing of the user's, however they are mounted.
bool IsUserFileSystem(const MountedFileSystem& mount) {
  if (!mount.searched || mount.type == "squashfs") return false;
  const std::string_view point = mount.point;
  for (std::string_view area : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot/efi"}) {
    if (point == area || (point.size() > area.size() && point.substr(0, area.size()) == area &&
                          point[area.size()] == '/')) {
      // Removable media are mounted under /run/media.
      if (area == "/run" && point.substr(0, 11) == "/run/media/") continue;
      return false;
    }
  }
  return true;
}

}  // namespace

std::vector<PathString> ListDrives() { return DrivesAmong(MountedFileSystems()); }

std::vector<PathString> DrivesAmong(const std::vector<MountedFileSystem>& mounts) {
  std::vector<PathString> drives;
  for (const MountedFileSystem& mount : mounts) {
    if (!IsUserFileSystem(mount)) continue;
    // A folder mounted over more than once is one drive to the user.
    if (std::find(drives.begin(), drives.end(), mount.point) != drives.end()) continue;
    drives.push_back(mount.point);
  }
  if (drives.empty()) drives.push_back("/");
  return drives;
}

std::string DriveText(const PathString& root) { return DisplayPath(root); }

std::optional<std::string> DriveTextFromVolume(const PathString& root) {
  // Containers bind single files (/etc/hosts) as mounts, and a mount point
  // may have gone since: only folders are drives.
  struct stat st {};
  if (stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return DisplayPath(root);
}

}  // namespace dustvane
