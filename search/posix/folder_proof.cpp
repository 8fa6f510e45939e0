#include "search/posix/folder_proof.h"

#include <fcntl.h>
#include <linux/btrfs.h>
#include <sys/ioctl.h>

#include <cstring>

#include "search/posix/descriptor.h"

namespace dustvane {

SubvolumeId SubvolumeOf(int fd) {
  // Linux 4.18 and later tell any user.
  btrfs_ioctl_get_subvol_info_args info = {};
  SubvolumeId id{};
  // Some kernels answer 1 for success.
  if (ioctl(fd, BTRFS_IOC_GET_SUBVOL_INFO, &info) >= 0) std::memcpy(id.data(), info.uuid, id.size());
  return id;
}

SubvolumeId SubvolumeOfPath(int fd) {
  const Descriptor readable(openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return readable.open() ? SubvolumeOf(readable.get()) : SubvolumeId{};
}

}  // namespace dustvane
