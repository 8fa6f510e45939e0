#include "search/posix/mount_table.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace dustvane {

namespace {

// mountinfo writes space, tab, newline and backslash in paths as "\ooo".
std::string UnescapeOctal(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const char a = field[i + 1], b = field[i + 2], c = field[i + 3];
      if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
        out += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

std::vector<std::string_view> SplitSpaces(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t pos = 0;
  while (pos < line.size()) {
    const size_t end = line.find(' ', pos);
    const size_t stop = end == std::string_view::npos ? line.size() : end;
    if (stop > pos) fields.push_back(line.substr(pos, stop - pos));
    pos = stop + 1;
  }
  return fields;
}

}  // namespace

std::vector<Mount> ParseMountInfo(std::string_view text) {
  // Each line: id parent major:minor root mount-point options [optional...] - type source super-options
  std::vector<Mount> mounts;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::vector<std::string_view> fields = SplitSpaces(text.substr(pos, end - pos));
    pos = end + 1;
    if (fields.size() < 7) continue;
    size_t dash = 6;
    while (dash < fields.size() && fields[dash] != "-") ++dash;
    if (dash + 1 >= fields.size()) continue;
    std::string point = UnescapeOctal(fields[4]);
    while (point.size() > 1 && point.back() == '/') point.pop_back();
    mounts.push_back({std::atoi(std::string(fields[0]).c_str()), std::atoi(std::string(fields[1]).c_str()),
                      std::move(point), std::string(fields[dash + 1]),
                      dash + 2 < fields.size() ? UnescapeOctal(fields[dash + 2]) : std::string()});
  }
  return mounts;
}

std::vector<Mount> ReadMountTable() {
  std::ifstream in("/proc/self/mountinfo");
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return ParseMountInfo(text.str());
}

namespace {

// The file systems a search never enters, each with the number fstatfs
// reports for it (0 where it has none of its own).
struct SystemFileSystem {
  std::string_view type;
  long magic;
};
// The kernel's virtual file systems.
constexpr SystemFileSystem kVirtualFileSystems[] = {
    {"proc", 0x9fa0}, {"sysfs", 0x62656572}, {"devtmpfs", 0}, {"devpts", 0x1cd1}, {"cgroup", 0x27e0eb},
    {"cgroup2", 0x63677270}, {"debugfs", 0x64626720}, {"tracefs", 0x74726163}, {"securityfs", 0x73636673},
    {"pstore", 0x6165676c}, {"bpf", 0xcafe4a11}, {"configfs", 0x62656570}, {"fusectl", 0x65735543},
    {"mqueue", 0x19800202}, {"hugetlbfs", 0x958458f6}, {"binfmt_misc", 0x42494e4d}, {"autofs", 0x0187},
    {"efivarfs", 0xde5e81e4}, {"selinuxfs", 0xf97cff8c}, {"rpc_pipefs", 0x67596969}, {"nfsd", 0x6e667364},
    {"nsfs", 0x6e736673}, {"rdt", 0x7655821}, {"resctrl", 0x7655821},
    // FUSE front ends to desktop services
    {"fuse.gvfsd-fuse", 0}, {"fuse.portal", 0}};
// Remote file systems: network clients, shares of a virtual machine's host,
// and FUSE front ends to remote stores.
constexpr SystemFileSystem kRemoteFileSystems[] = {
    {"nfs", 0x6969}, {"nfs4", 0x6969}, {"cifs", 0xff534d42}, {"smb3", 0xfe534d42}, {"smbfs", 0x517b},
    {"ncpfs", 0x564c}, {"ncp", 0x564c}, {"afs", 0x6b414653}, {"afs", 0x5346414f}, {"ceph", 0x00c36400},
    {"9p", 0x01021997}, {"coda", 0x73757245}, {"orangefs", 0x20030528}, {"pvfs2", 0x20030528},
    {"glusterfs", 0}, {"lustre", 0x0bd00bd0}, {"gpfs", 0x47504653}, {"beegfs", 0}, {"davfs", 0},
    {"virtiofs", 0}, {"vboxsf", 0x786f4256}, {"vmhgfs", 0}, {"prl_fs", 0},
    {"fuse.sshfs", 0}, {"fuse.rclone", 0}, {"fuse.s3fs", 0}, {"fuse.curlftpfs", 0}, {"fuse.davfs", 0},
    {"fuse.glusterfs", 0}, {"fuse.vmhgfs-fuse", 0}, {"fuse.ceph-fuse", 0}, {"fuse.gcsfuse", 0}};
// FUSE pools of local folders whose source joins the branches with colons.
constexpr std::string_view kColonJoinedPools[] = {"fuse.mergerfs", "fuse.unionfs", "fuse.unionfs-fuse",
                                                  "fuse.mhddfs"};
constexpr long kFuseMagic = 0x65735546;

template <size_t N>
bool HasType(const SystemFileSystem (&table)[N], std::string_view type) {
  for (const SystemFileSystem& system : table) {
    if (type == system.type) return true;
  }
  return false;
}

template <size_t N>
bool HasMagic(const SystemFileSystem (&table)[N], long magic) {
  for (const SystemFileSystem& system : table) {
    if (system.magic != 0 && magic == system.magic) return true;
  }
  return false;
}

// "//host/share", or "host:path" where the part before the colon names no
// folder (a device path such as /dev/disk/by-path/pci-0000:00:1f.2 does).
bool IsRemoteSource(std::string_view source) {
  if (source.size() > 2 && source.substr(0, 2) == "//" && source[2] != '/') return true;
  const size_t colon = source.find(':');
  return colon != std::string_view::npos && colon > 0 && source.substr(0, colon).find('/') == std::string_view::npos;
}

}  // namespace

bool IsSystemFileSystemType(std::string_view type) {
  return HasType(kVirtualFileSystems, type) || HasType(kRemoteFileSystems, type);
}

bool IsSystemMount(const Mount& mount) {
  if (IsSystemFileSystemType(mount.type)) return true;
  for (std::string_view pool : kColonJoinedPools) {
    if (mount.type == pool) return false;
  }
  return IsRemoteSource(mount.source);
}

bool IsSystemFileSystemMagic(long magic) {
  return HasMagic(kVirtualFileSystems, magic) || HasMagic(kRemoteFileSystems, magic);
}

bool IsFuseMagic(long magic) { return magic == kFuseMagic; }


}  // namespace dustvane
