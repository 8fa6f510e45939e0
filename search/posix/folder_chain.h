#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "search/failure.h"
#include "search/posix/descriptor_budget.h"

namespace dustvane {

// Which folder a descriptor stands for, whatever name it is reached by.
struct FolderIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};

// The folders of a walk from its root to the folder being listed. The root is
// opened by its path; every folder below it only by its name inside its
// parent, without following a link (openat with O_NOFOLLOW | O_DIRECTORY), so
// nothing a name on the way is turned into can lead the walk out of the tree.
//
// Descriptors beyond the budget are given back, outermost first, with the
// folder's identity recorded. A folder needed again is reopened from the
// nearest open folder above it, one name at a time in the same way, and must
// prove to be the same folder as before. No path is ever passed to the system
// whole, so neither depth nor path length is limited by PATH_MAX.
class FolderChain {
 public:
  explicit FolderChain(DescriptorBudget& budget) : budget_(budget) {}
  ~FolderChain() { Close(); }
  FolderChain(const FolderChain&) = delete;
  FolderChain& operator=(const FolderChain&) = delete;

  // Makes `folder` (a path ending in "/", or empty for the working folder)
  // the innermost, keeping the part of the chain that leads there, and
  // returns its descriptor. A folder outside the chain's root starts a new
  // chain; `startsWalk` then says so.
  Result<int> Open(const std::string& folder, bool* startsWalk = nullptr);
  void Close();

  bool IsOpen() const { return !levels_.empty(); }
  // The innermost folder's path and its descriptor (open once Open succeeded).
  const std::string& Path() const { return path_; }
  int InnermostFd() const { return levels_.back().fd; }
  // Whether the last Open opened the innermost folder's descriptor, rather
  // than finding it open already (and perhaps read from).
  bool InnermostOpenedNow() const { return openedNow_; }
  // `folder` of this chain written from the system's root, as the mount
  // table writes paths: the root's own path may be relative or pass links.
  std::string AbsolutePath(const std::string& folder) const;

  // Whether `identity` is that of a folder on the chain.
  bool Holds(const FolderIdentity& identity);

 private:
  struct Level {
    size_t end;  // the length of `path_` up to and including this folder
    int fd;      // -1 once given back
    bool known;  // whether `identity` has been read
    FolderIdentity identity;
  };

  MaybeFailure OpenRoot(const std::string& folder);
  MaybeFailure Descend(std::string_view name, size_t end);
  MaybeFailure ReopenInnermost();
  Result<int> OpenChildOf(size_t parent, std::string_view name);
  bool GiveBackOutermost(size_t keep);
  void CloseLevel(Level& level);
  void Release(Level& level);
  bool Learn(Level& level);

  DescriptorBudget& budget_;
  std::string path_;
  std::vector<Level> levels_;
  size_t firstOpen_ = 0;  // levels 1 .. firstOpen_-1 are given back; 0 stays open
  std::string absoluteRoot_;
  bool openedNow_ = false;
};

}  // namespace dustvane
