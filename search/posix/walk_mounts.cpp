#include "search/posix/walk_mounts.h"

#include <unistd.h>

#include <vector>

#include "search/posix/mount_table.h"

namespace dustvane {

namespace {

// The path the kernel gives for an open folder, from the system's root,
// ending in "/"; the empty string where it cannot tell.
std::string KernelPath(int fd) {
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  std::string target(4096, '\0');
  const ssize_t length = readlink(link.c_str(), target.data(), target.size());
  if (length <= 0 || static_cast<size_t>(length) >= target.size() || target[0] != '/') return std::string();
  target.resize(static_cast<size_t>(length));
  if (target.size() > 1) target += '/';
  return target;
}

}  // namespace

std::vector<int> MountsAtOrAbove(const std::vector<Mount>& table, const std::string& absolute) {
  std::vector<int> ids;
  for (const Mount& mount : table) {
    const std::string point = mount.point == "/" ? mount.point : mount.point + "/";
    if (absolute.compare(0, point.size(), point) == 0) ids.push_back(mount.id);
  }
  return ids;
}

void WalkMounts::Begin(int rootFd, const std::string& root) {
  absoluteRoot_ = KernelPath(rootFd);
  if (absoluteRoot_.empty()) absoluteRoot_ = root;
  const std::vector<Mount> table = ReadMountTable();
  atOrAboveRoot_ = MountsAtOrAbove(table, absoluteRoot_);
  table_ = std::make_shared<const MountMap>(table);
  inside_ = table_->HoldsAnyBelow(absoluteRoot_);
}

std::string WalkMounts::PathOf(const FolderNode& node) const {
  std::vector<const FolderNode*> down;
  for (const FolderNode* at = &node; at->parent != nullptr; at = at->parent) down.push_back(at);
  std::string path = absoluteRoot_;
  for (auto at = down.rbegin(); at != down.rend(); ++at) path.append((*at)->name).push_back('/');
  return path;
}

MountAt WalkMounts::At(const std::string& folder) {
  if (table_ != nullptr) return table_->At(folder);
  outside_ = MountMap(ReadMountTable());
  return outside_.At(folder);
}

}  // namespace dustvane
