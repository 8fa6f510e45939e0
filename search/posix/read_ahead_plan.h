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

#include "search/posix/descriptor_budget.h"
#include "search/posix/folder_listing.h"
#include "search/posix/folder_record.h"

namespace dustvane {

// The helpers' share of the walk's descriptor budget. Shared with every
// descriptor they hold, so that one given back after the walk has gone (by a
// helper a file system kept waiting) is still counted right.
class HelperDescriptors {
 public:
  HelperDescriptors(std::shared_ptr<DescriptorBudget> budget, size_t most) : budget_(std::move(budget)), most_(most) {}
  // Whether one more descriptor may be opened; if so it is counted.
  bool Take();
  void GiveBack();

 private:
  std::shared_ptr<DescriptorBudget> budget_;
  size_t most_;
  std::atomic<size_t> held_{0};
};

// A folder descriptor held by the read-ahead: closed, and given back, when
// the last one using it lets go.
class HeldFolder {
 public:
  HeldFolder(int fd, std::shared_ptr<HelperDescriptors> descriptors) : fd_(fd), descriptors_(std::move(descriptors)) {}
  ~HeldFolder();
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
  std::shared_ptr<HelperDescriptors> descriptors_;
};

// One folder the read-ahead has listed.
struct AheadFolder {
  std::shared_ptr<AheadFolder> parent;  // null where the helpers began
  uint32_t index = 0;                   // its place among the parent's sub-folders
  uint32_t depth = 0;                   // where the helpers began is 0
  std::string name;                     // its name inside the parent
  std::string seedPath;                 // where the helpers began: its path from the system's root
  FolderRecord record;                  // read before its entries were
  bool kernelRecords = false;           // its file system's records are the kernel's own, no cached copies
  bool abandoned = false;               // the walk searches nothing below it
  // The sub-folders in the order the listing gave them, the next of them
  // to hand out, and where it lies; the folder stays open while any is left.
  FolderListing subFolders;
  size_t next = 0;
  FolderListing::Place nextAt;
  std::shared_ptr<HeldFolder> open;
  // Its entries, kept for the walk until it comes here; only where the
  // record proves them (folder_record.h).
  std::optional<FolderListing> listing;
  // What `listing` and `subFolders` count in the plan's bytes.
  size_t listingBytes = 0;
  size_t nameBytes = 0;
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
// gave them. Folders are known by where the walk meets them: the identity of
// the folder above and the name inside it, as the walk's own chain has them.
// It hands out the next sub-folder to open, counts the folders listed that
// the walk has not reached yet, forgets whatever the walk has passed or will
// not search, and keeps what it holds within a fixed number of bytes. Not
// thread-safe: the read-ahead guards it with its lock.
class ReadAheadPlan {
 public:
  // Listings kept for the walk, and sub-folder names kept for the helpers:
  // enough for the whole window in ordinary trees; a window of very large
  // folders is mostly read again by the walk instead, from the cache.
  static constexpr size_t kMostListingBytes = 2 << 20;
  static constexpr size_t kMostNameBytes = 1 << 20;

  void Clear();

  // Folders on the way from where the helpers began to where the walk is,
  // listed afresh: their remaining sub-folders are to be read, the folders
  // themselves not.
  void AddPassed(const AheadFolderPtr& folder);
  // A folder listed ahead of the walk, with its entries where they may be
  // kept for the walk (null where not). One the walk has passed or will not
  // search is dropped; the entries are copied, compactly, only where the
  // plan keeps them.
  void AddListed(const AheadFolderPtr& folder, const FolderListing* entries);

  bool HasTask() const { return !waiting_.empty(); }
  // The first sub-folder in the walk's order not yet handed out.
  AheadTask TakeTask();
  // Folders listed ahead of the walk and not yet reached by it.
  size_t Ahead() const { return ahead_.size(); }

  // The walk has come to the sub-folder `name` of the folder `parent`.
  // Returns the plan's folder there, or null when the plan does not know it
  // (the helpers are behind there, or never go there).
  AheadFolderPtr WalkReaches(const FolderIdentity& parent, std::string_view name);
  // The listing kept for the walk of a folder it has reached, if any.
  std::optional<FolderListing> TakeListing(AheadFolder& folder);
  // The walk will search nothing below the sub-folder `name` of `parent`.
  void SkipBelow(const FolderIdentity& parent, std::string_view name);

 private:
  struct Key {
    FolderIdentity parent;
    std::string_view name;  // the folder's own name, kept in it
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& key) const;
  };
  struct ByPlace {
    bool operator()(const AheadFolderPtr& a, const AheadFolderPtr& b) const;
  };
  struct ByNextSubFolder {
    bool operator()(const AheadFolderPtr& a, const AheadFolderPtr& b) const;
  };
  static Key KeyOf(const AheadFolder& folder);
  void CountNames(AheadFolder& folder);
  bool Skipped(const AheadFolder& folder) const;
  void Wait(const AheadFolderPtr& folder);
  void Forget(AheadFolder& folder);
  void DropListing(AheadFolder& folder);
  void DropNames(AheadFolder& folder);
  void DropBelow(const AheadFolderPtr& folder);

  std::set<AheadFolderPtr, ByPlace> ahead_;
  std::unordered_map<Key, AheadFolderPtr, KeyHash> byKey_;  // the folders of ahead_
  std::set<AheadFolderPtr, ByNextSubFolder> waiting_;
  AheadFolderPtr walkAt_;  // the last folder the walk reached that the plan knew
  // Folders the walk will not search below that the plan did not know yet.
  std::vector<std::pair<FolderIdentity, std::string>> skipped_;
  size_t listingBytes_ = 0;
  size_t nameBytes_ = 0;
};

}  // namespace dustvane
