#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "search/failure.h"
#include "search/posix/descriptor.h"
#include "search/posix/descriptor_budget.h"
#include "search/posix/folder_node.h"
#include "search/posix/folder_opener.h"
#include "search/posix/mount_map.h"
#include "search/walk_locator.h"

namespace dustvane {

// The walk's way from its root to where it is: the nodes of the folders it
// is inside, outermost first (the levels), and the innermost folder's path.
// The root is opened by its path, every level below by its name inside the
// one above, by the walk's rules (folder_opener.h): the chain alone opens
// and closes the walk's folders. Past the budget, the chain gives back its
// outermost descriptors but the root's, records and subvolumes read first.
// Coming back up to one, it opens ".." of the open level below and checks it
// is the very folder it left; where not (a folder was moved), it reopens it
// name by name from the nearest open level above, or reports it gone.
class WalkChain {
 public:
  // Called for a level's parent when the walk is done with the level.
  using Passed = std::function<void(FolderNode& parent)>;
  WalkChain(DescriptorBudget& budget, Passed passed) : budget_(budget), passed_(std::move(passed)) {}
  // It hands itself to the opener as the judge of which folders it is inside.
  WalkChain(const WalkChain&) = delete;
  WalkChain& operator=(const WalkChain&) = delete;

  // A new chain of the open `root`, its descriptor counted, at `path`, with
  // the walk's mount table.
  void Begin(FolderNode& root, const std::string& path, const MountMap& mounts);
  void Clear();

  const std::vector<FolderNode*>& Levels() const { return levels_; }
  FolderNode& Innermost() const { return *levels_.back(); }
  const std::string& Path() const { return path_; }
  // Where `path` lies against the levels (search/walk_locator.h): under
  // the chain's root where any level leads to it.
  WalkPlace Locate(std::string_view path) const {
    return LocateInWalk(path_, ends_.size(), [this](size_t level) { return ends_[level]; }, path);
  }
  // The part of `path`, under the root, after the root's own path.
  std::string_view BelowRoot(std::string_view path) const { return path.substr(ends_[0]); }
  // Whether one of the levels is the folder `identity`.
  bool Holds(const FolderIdentity& identity);

  // The sub-folder `name` of the innermost level, opened by the walk's
  // rules; -1 where they keep it out.
  Result<WalkOpened> OpenChild(const std::string& name) { return OpenChild(levels_.size() - 1, name); }
  // Makes `node`, open, the innermost level, its name and "/" added to the path.
  void Push(FolderNode& node, std::string_view name);
  // A doubled "/" belongs to the innermost level's path.
  void AddSeparator();
  // Makes level `target` the innermost, open.
  MaybeFailure ReturnTo(size_t target);

 private:
  Result<WalkOpened> OpenChild(size_t parent, const std::string& name);
  void TakeDescriptor(size_t keep);
  bool GiveBackOutermost(size_t keep);
  void Evict(size_t level);
  bool ClimbTo(size_t target);
  MaybeFailure ReopenByNames(size_t target);
  void PopTo(size_t level);
  bool TakeIfSame(size_t level, Descriptor fd);

  DescriptorBudget& budget_;
  const Passed passed_;
  const MountMap* mounts_ = nullptr;
  const std::function<bool(const FolderIdentity&)> isInside_ = [this](const FolderIdentity& id) { return Holds(id); };

  std::vector<FolderNode*> levels_;
  std::string path_;
  std::vector<size_t> ends_;  // where each level's name ends in `path_`
  // Levels 1 .. firstOpen_-1 are given back, the rest open.
  size_t firstOpen_ = 0;
};

}  // namespace dustvane
