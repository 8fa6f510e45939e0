#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dustvane {

// One mounted file system, as the kernel lists it for this process.
struct Mount {
  int id = 0;
  int parentId = 0;   // the mount it is attached to
  std::string point;  // the mount point, an absolute path without a trailing "/"
  std::string type;   // "ext4", "tmpfs", "proc", "fuse.sshfs", ...
};

// The mounts known to this process (from /proc/self/mountinfo), in the
// kernel's order. Empty when the table cannot be read.
std::vector<Mount> ReadMountTable();

// Parses the text of a mountinfo file; kept apart from the reading so that it
// can be checked on any text.
std::vector<Mount> ParseMountInfo(std::string_view text);

// File systems that a search never enters: the kernel's virtual ones, whose
// contents are not files on a disk (proc, sysfs, devtmpfs, ...), automount
// points not yet mounted, and network file systems, whose walk would cross
// the network.
bool IsSystemFileSystemType(std::string_view type);

// The same rule by the magic number fstatfs reports (f_type) for the file
// system of an open folder. Those that share another's number (devtmpfs is
// tmpfs to fstatfs, and every FUSE file system is FUSE) are told apart only
// by their type in the mount table.
bool IsSystemFileSystemMagic(long magic);

}  // namespace dustvane
