#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "search/posix/folder_chain.h"
#include "search/posix/folder_listing.h"

namespace dustvane {

// A folder descriptor held by the read-ahead: closed, and given back to the
// budget and to the read-ahead's own count, when the last one using it lets go.
class HeldFolder {
 public:
  HeldFolder(int fd, DescriptorBudget& budget, std::atomic<size_t>& held) : fd_(fd), budget_(budget), held_(held) {}
  ~HeldFolder();
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
  DescriptorBudget& budget_;
  std::atomic<size_t>& held_;
};

// One folder the read-ahead has listed.
struct AheadFolder {
  std::shared_ptr<AheadFolder> parent;  // null for the root of the walk
  uint32_t index = 0;                   // its place among the parent's sub-folders
  uint32_t depth = 0;                   // the root's is 0
  std::string path;                     // as the walk writes it, ending in "/"
  FolderIdentity identity;
  bool holdsMounts = false;  // some mount shows directly inside it
  // The sub-folders in the order the listing gave them, and the first of
  // them not yet handed out; the folder stays open while any is left.
  std::vector<std::string> subFolders;
  size_t next = 0;
  std::shared_ptr<HeldFolder> open;
  // Its entries, kept for the walk until it comes here.
  std::optional<FolderListing> listing;
};
using AheadFolderPtr = std::shared_ptr<AheadFolder>;

// A sub-folder to open and list: the name inside its parent, which is held
// open for it.
struct AheadTask {
  AheadFolderPtr parent;
  std::shared_ptr<HeldFolder> parentOpen;
  std::string name;
  uint32_t index = 0;
};

// The read-ahead's knowledge of the tree ahead of the walk, in the walk's
// order: depth first, the sub-folders of each folder in the order its listing
// gave them. It hands out the next sub-folder to open, counts the folders
// listed that the walk has not reached yet, and forgets whatever the walk has
// passed. Not thread-safe: the read-ahead guards it with its lock.
class ReadAheadPlan {
 public:
  void Clear();

  // Folders on the way from the root to where the walk is, listed afresh:
  // their remaining sub-folders are to be read, the folders themselves not.
  void AddPassed(const AheadFolderPtr& folder);
  // A folder listed ahead of the walk. One the walk has already passed is
  // dropped, and so is its listing when the listings kept for the walk would
  // take more than kMostListingBytes.
  void AddListed(const AheadFolderPtr& folder);

  bool HasTask() const { return !waiting_.empty(); }
  // The first sub-folder in the walk's order not yet handed out.
  AheadTask TakeTask();
  // Folders listed ahead of the walk and not yet reached by it.
  size_t Ahead() const { return ahead_.size(); }

  // The walk has come to `folder`. Returns the plan's folder there, or null
  // when the plan does not know it (the read-ahead is behind there, or never
  // goes there).
  AheadFolderPtr WalkReaches(std::string_view folder);
  // The listing kept for the walk of a folder it has reached, if any.
  std::optional<FolderListing> TakeListing(AheadFolder& folder);

  // Enough for the listings of the whole window in ordinary trees; a window
  // of very large folders is mostly read again by the walk instead.
  static constexpr size_t kMostListingBytes = 2 << 20;

 private:
  struct ByPlace {
    bool operator()(const AheadFolderPtr& a, const AheadFolderPtr& b) const;
  };
  struct ByNextSubFolder {
    bool operator()(const AheadFolderPtr& a, const AheadFolderPtr& b) const;
  };
  void Wait(const AheadFolderPtr& folder);
  void DropListing(AheadFolder& folder);

  std::set<AheadFolderPtr, ByPlace> ahead_;
  std::unordered_map<std::string_view, AheadFolderPtr> aheadByPath_;  // keys are the folders' paths
  std::set<AheadFolderPtr, ByNextSubFolder> waiting_;
  AheadFolderPtr walkAt_;  // the last folder the walk reached that the plan knew
  size_t listingBytes_ = 0;  // kept in the folders of ahead_
};

}  // namespace dustvane
