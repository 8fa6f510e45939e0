#include "tests/support/unanswering_mount.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dustvane::testing {

bool UnansweringMount::Mount(const std::string& folder) {
  Close();
  // Its root is of the kind of what it is mounted on: a folder or a file.
  struct stat st;
  if (stat(folder.c_str(), &st) != 0) return false;
  device_ = open("/dev/fuse", O_RDWR | O_CLOEXEC);
  if (device_ < 0) return false;
  // The kernel sends its first request as soon as this returns; nobody reads
  // it, so the connection never finishes starting and every caller waits.
  const std::string options = "fd=" + std::to_string(device_) + (S_ISDIR(st.st_mode) ? ",rootmode=40000" : ",rootmode=100000") +
                              ",user_id=0,group_id=0";
  if (mount("unanswering", folder.c_str(), "fuse.unanswering", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
    Close();
    return false;
  }
  folder_ = folder;
  return true;
}

void UnansweringMount::Close() {
  // The last descriptor of the device going aborts the connection.
  if (device_ >= 0) close(device_);
  device_ = -1;
  if (!folder_.empty()) umount2(folder_.c_str(), MNT_DETACH);
  folder_.clear();
}

}  // namespace dustvane::testing
