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
  std::string source;  // what is mounted: "/dev/sda1", "host:/export", "//host/share", "tmpfs", ...
};

// The mounts known to this process (from /proc/self/mountinfo), in the
// kernel's order. Empty when the table cannot be read.
std::vector<Mount> ReadMountTable();

// Parses the text of a mountinfo file; kept apart from the reading so that it
// can be checked on any text.
std::vector<Mount> ParseMountInfo(std::string_view text);

// File systems that a search never enters: the kernel's virtual ones, whose
// contents are not files on a disk (proc, sysfs, devtmpfs, ...), automount
// points not yet mounted, and remote ones (network file systems, a virtual
// machine's share of its host's folders, FUSE front ends to remote stores),
// whose walk would cross the network.
bool IsSystemFileSystemType(std::string_view type);

// The same rule for a mount, which also tells a remote one by its source
// whatever its type, as "df -l" does: "host:path" (nfs, sshfs, rclone, a URL)
// or "//host/share". Local pools whose source joins their branches' paths
// with colons ("/a:/b", or "a:b" once mergerfs leaves out what they share)
// are not remote.
bool IsSystemMount(const Mount& mount);

// The same rule by the magic number fstatfs reports (f_type) for the file
// system of an open folder. Those that share another's number (devtmpfs is
// tmpfs to fstatfs, and every FUSE file system, virtiofs too, is FUSE) are
// told apart only by their mount in the mount table.
bool IsSystemFileSystemMagic(long magic);

// Whether the magic number is FUSE's, which every FUSE file system shares.
bool IsFuseMagic(long magic);

}  // namespace dustvane
