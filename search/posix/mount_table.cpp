#include "search/posix/mount_table.h"

#include <array>
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
                      std::move(point), std::string(fields[dash + 1])});
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

bool IsSystemFileSystemType(std::string_view type) {
  static constexpr std::array<std::string_view, 36> kSystemTypes = {
      // kernel virtual file systems
      "proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "debugfs",
      "tracefs", "securityfs", "pstore", "bpf", "configfs", "fusectl", "mqueue",
      "hugetlbfs", "binfmt_misc", "autofs", "efivarfs", "selinuxfs", "rpc_pipefs",
      "nfsd", "nsfs", "rdt", "resctrl",
      // network file systems
      "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "ceph", "9p",
      "glusterfs", "lustre", "davfs"};
  for (std::string_view t : kSystemTypes) {
    if (type == t) return true;
  }
  // FUSE front ends to remote stores and desktop services.
  static constexpr std::array<std::string_view, 8> kSystemFuse = {
      "fuse.sshfs", "fuse.gvfsd-fuse", "fuse.rclone", "fuse.s3fs",
      "fuse.curlftpfs", "fuse.davfs", "fuse.portal", "fuse.glusterfs"};
  for (std::string_view t : kSystemFuse) {
    if (type == t) return true;
  }
  return false;
}

}  // namespace dustvane
