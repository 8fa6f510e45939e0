#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/failure.h"
#include "search/posix/descriptor_budget.h"
#include "search/posix/folder_listing.h"
#include "search/posix/folder_record.h"
#include "search/posix/mount_map.h"

namespace dustvane {

// The one record of where a walk is: the folders from its root down to the
// one being searched (the innermost), each with its descriptor and, once
// read, its record (identity and state); the mount table as it was when the
// walk began; and the innermost folder's listing.
//
// The root is opened by its path, every folder below it by its name inside
// its parent, by the walk's rules (folder_opener.h). Descriptors beyond the
// budget are given back, outermost first (the root stays open), each level's
// record read just before. Coming back up to a level given back, the chain
// opens ".." of the open level below it and checks that it is the very
// folder it left; where that fails (a folder on the way was moved
// meanwhile), it reopens the level name by name from the nearest open level
// above, and the folder found must be the one it left too, or it is reported
// as gone. So going back up costs one open a level, whatever the depth.
class FolderChain {
 public:
  struct Step {
    int fd = -1;              // the innermost folder; -1 when `closed`
    bool startsWalk = false;  // the folder lay outside the chain's root: a new walk began
    bool openedNow = false;   // the innermost was opened by this call, so it is at its start
    bool closed = false;      // on opening it, the walk's rules kept it out (a system file system, a loop)
  };

  explicit FolderChain(DescriptorBudget& budget);
  ~FolderChain() { Close(); }
  FolderChain(const FolderChain&) = delete;
  FolderChain& operator=(const FolderChain&) = delete;

  // Makes `folder` (a path ending in "/", or empty for the working folder)
  // the innermost, keeping the part of the chain that leads there. A folder
  // the walk's rules keep out leaves its parent the innermost.
  Result<Step> Open(const std::string& folder);
  void Close();

  bool IsOpen() const { return !levels_.empty(); }
  // The innermost folder's path and descriptor (open once Open succeeded).
  const std::string& Path() const { return path_; }
  int InnermostFd() const { return levels_.back().fd; }

  // Levels count from the root (0) to the innermost (Depth() - 1).
  size_t Depth() const { return levels_.size(); }
  // The level's name inside the level above it.
  std::string_view Name(size_t level) const;
  int Fd(size_t level) const { return levels_[level].fd; }
  // The level's record, read from its descriptor when first asked; null
  // where it cannot be read.
  const FolderRecord* Record(size_t level);
  // The outermost open level from which the innermost is reached by names
  // alone: the root, unless levels between were given back.
  size_t OutermostOpen() const { return firstOpen_ > 1 && firstOpen_ < levels_.size() ? firstOpen_ : 0; }

  // `folder` of this chain written from the system's root, as the mount
  // table writes paths: the root's own path may be relative or pass links.
  std::string AbsolutePath(const std::string& folder) const;
  // The same for the folder of `level`, ending in "/".
  std::string AbsolutePathOf(size_t level) const { return AbsolutePath(path_.substr(0, levels_[level].end)); }
  // Whether `identity` is that of a folder on the chain.
  bool Holds(const FolderIdentity& identity);
  // The mount table as it was when the walk began.
  const std::shared_ptr<const MountMap>& Mounts() const { return mounts_; }
  // The innermost folder's entries, as the walk listed them.
  FolderListing& Listing() { return listing_; }
  const FolderListing& Listing() const { return listing_; }

 private:
  struct Level {
    size_t end;  // the length of `path_` up to and including this folder
    int fd;      // -1 once given back
    std::optional<FolderRecord> record;
  };

  MaybeFailure OpenRoot(const std::string& folder);
  Result<bool> Descend(const std::string& name, size_t end);
  MaybeFailure ReturnTo(size_t target);
  bool ClimbTo(size_t target);
  MaybeFailure ReopenByNames(size_t target);
  void ReleaseBelow(size_t level);
  Result<int> OpenChildOf(size_t parent, const std::string& name);
  void TakeDescriptor(size_t keep);
  bool GiveBackOutermost(size_t keep);
  // Gives back the descriptor of `level`, keeping its record.
  void CloseLevel(size_t level);
  // Makes `fd` the descriptor of `level` when it holds the folder the level
  // recorded before; otherwise closes it and keeps the record.
  bool TakeIfSame(size_t level, int fd);
  void Release(Level& level);

  DescriptorBudget& budget_;
  std::function<bool(const FolderIdentity&)> isInside_;
  std::string path_;
  std::vector<Level> levels_;
  size_t firstOpen_ = 0;  // levels 1 .. firstOpen_-1 are given back; 0 stays open
  std::string absoluteRoot_;
  std::shared_ptr<const MountMap> mounts_;
  FolderListing listing_;
};

}  // namespace dustvane
