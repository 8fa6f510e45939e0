#include "tests/support/scratch_file_system.h"

#include <sys/mount.h>

#include <cstdlib>

namespace dustvane::testing {

const char* NameOf(ScratchKind kind) {
  switch (kind) {
    case ScratchKind::kTmpfs: return "tmpfs";
    case ScratchKind::kExt4: return "ext4 on a loop device";
    case ScratchKind::kExt4SmallInodes: return "ext4 with 128-byte inodes on a loop device";
    case ScratchKind::kExt4Encrypting: return "ext4 with encrypted folders on a loop device";
  }
  return "";
}

bool MountScratch(ScratchKind kind, const std::string& folder) {
  if (kind == ScratchKind::kTmpfs) return mount("tmpfs", folder.c_str(), "tmpfs", 0, nullptr) == 0;
  std::string image = folder;
  while (image.size() > 1 && image.back() == '/') image.pop_back();
  image += ".ext4";
  // mount -o loop attaches the device with autoclear: it is detached with
  // the last mount.
  const std::string inodes = kind == ScratchKind::kExt4SmallInodes  ? "-I 128 "
                             : kind == ScratchKind::kExt4Encrypting ? "-O encrypt "
                                                                    : "";
  const std::string command = "truncate -s 64M '" + image + "' && mkfs.ext4 -q -F " + inodes + "'" + image +
                              "' >/dev/null 2>&1 && mount -o loop '" + image + "' '" + folder + "' 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

}  // namespace dustvane::testing
