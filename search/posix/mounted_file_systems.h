#pragma once

#include <string>
#include <vector>

#include "search/path_string.h"

namespace dustvane {

// What the windows need to know of the mounted file systems, to offer them
// as drives: where each is mounted, its type, and whether a search would
// enter it at all. The mount table itself stays the engine's.
struct MountedFileSystem {
  PathString point;  // the mount point, absolute, without a trailing "/"
  std::string type;  // "ext4", "tmpfs", "squashfs", ...
  bool searched;     // false for the kernel's, automount and network file systems
};

// The file systems mounted for this process, in the kernel's order, without
// touching any of them. Empty when the table cannot be read.
std::vector<MountedFileSystem> MountedFileSystems();

}  // namespace dustvane
