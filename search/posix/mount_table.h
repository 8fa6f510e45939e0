#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dustvane {

// One mounted file system, as the kernel lists it for this process.
struct Mount {
  std::string point;  // the mount point, an absolute path without a trailing "/"
  std::string type;   // "ext4", "tmpfs", "proc", "fuse.sshfs", ...
};

// The mounts visible to this process (from /proc/self/mountinfo), outermost
// first. Empty when the table cannot be read.
std::vector<Mount> ReadMountTable();

// Parses the text of a mountinfo file; kept apart from the reading so that it
// can be checked on any text.
std::vector<Mount> ParseMountInfo(std::string_view text);

// File systems that a search never enters: the kernel's virtual ones, whose
// contents are not files on a disk (proc, sysfs, devtmpfs, ...), and network
// ones, whose walk would cross the network.
bool IsSystemFileSystemType(std::string_view type);

}  // namespace dustvane
