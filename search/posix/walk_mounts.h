#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "search/posix/folder_node.h"
#include "search/posix/mount_map.h"
#include "search/posix/mount_table.h"

namespace dustvane {

// The mounts a walk meets, by the mount table read when it began, and where
// they show in its tree. The table writes paths from the system's root, so
// each node's path is made from the root's as the kernel gives it: the
// root's own path may be relative or pass links.
// The numbers of the mounts of `table` at the folder `absolute` (from the
// system's root, ending in "/") or at a folder above it, hidden or not: the
// mounts its path leads through.
std::vector<int> MountsAtOrAbove(const std::vector<Mount>& table, const std::string& absolute);

class WalkMounts {
 public:
  // A walk from the open folder `rootFd`, given as `root`.
  void Begin(int rootFd, const std::string& root);
  void End() { table_.reset(); }
  const MountMap& Table() const { return *table_; }
  // The root's path from the system's root, ending in "/"; empty where the
  // kernel does not tell it.
  const std::string& AbsoluteRoot() const { return absoluteRoot_; }
  // The mounts at the root or a folder above it when the walk began.
  const std::vector<int>& AtOrAboveRoot() const { return atOrAboveRoot_; }

  // The path of `node` from the system's root, ending in "/"; and that of
  // a path below the walk's root, given by what follows the root.
  std::string PathOf(const FolderNode& node) const;
  std::string PathBelowRoot(std::string_view below) const { return absoluteRoot_ + std::string(below); }
  // What shows at `folder` (from the system's root, ending in "/"): by the
  // walk's table, or outside a walk by the table read afresh.
  MountAt At(const std::string& folder);
  // Whether a mount shows directly inside `node`.
  bool HoldsAny(const FolderNode& node) const { return inside_ && table_->HoldsAny(PathOf(node)); }

 private:
  std::string absoluteRoot_;
  std::vector<int> atOrAboveRoot_;
  std::shared_ptr<const MountMap> table_;
  bool inside_ = false;  // some mount shows somewhere below the root
  MountMap outside_;
};

}  // namespace dustvane
