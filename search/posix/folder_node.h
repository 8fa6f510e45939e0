#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/posix/descriptor.h"
#include "search/posix/folder_listing.h"
#include "search/posix/folder_proof.h"
#include "search/posix/folder_record.h"
#include "search/posix/read_ahead_queue.h"

namespace dustvane {

// One folder of a walk: on the walk's way (a level of the chain, from the
// root to where the walk is), or ahead of it, where helpers may warm it.
// The walk's thread alone reads or changes nodes; a helper is given no more
// than a path. Each field says who writes it.
struct FolderNode {
  enum class State : uint8_t {
    kUnqueued,  // known from its parent's sub-folders, nothing asked yet
    kQueued,    // a helper is asked to warm it (`request`)
    kWarmed,    // a helper read it into the cache; `listing` holds the sub-folders it saw
    kTaken,     // the walk is in it, or has been
    kDropped,   // the walk will not come here: let go of once its request is answered
  };
  static constexpr uint32_t kNotWalked = UINT32_MAX;
  static constexpr size_t kNoAnchor = SIZE_MAX;

  // The walk's tree (folder_walk.h).
  FolderNode* parent = nullptr;
  size_t index = 0;  // its place among its parent's children
  std::string name;  // inside its parent; the root's path for the root
  State state = State::kUnqueued;
  bool walkOnly = false;     // a mount shows there: only the walk opens it, by its rules
  bool holdsMounts = false;  // a mount shows directly inside it

  // The chain's (walk_chain.h), while it is a level.
  Descriptor fd;  // -1 when not open (given back, or closed to the walk)
  std::optional<FolderRecord> record;
  std::optional<SubvolumeId> subvolume;  // for Delete's record, read while it was open
  uint32_t walked = kNotWalked;          // where Delete's record holds it

  // The read-ahead's schedule (read_ahead.h): its entries as the walk listed
  // them, or, where a helper warmed it first, the sub-folders the helper
  // saw; its sub-folders made nodes so far in `children`, in their order,
  // from `firstChild` on (those before it are passed); where the next one
  // lies.
  FolderListing listing;
  bool whole = false;  // warmed: `listing` holds all the sub-folders the helper saw
  std::vector<std::unique_ptr<FolderNode>> children;
  size_t firstChild = 0;
  FolderListing::Place nextChild;
  ReadAheadQueue::Slot* request = nullptr;  // while queued, and while a helper is still at it
  size_t anchor = kNoAnchor;  // the anchor its path is below (read_ahead_queue.h): none, no helper warms it
  bool isAnchor = false;      // it is that anchor itself

  // Its record, read through `fd` the first time it is asked while open.
  const FolderRecord* Record() {
    if (!record && fd.open()) {
      Result<FolderRecord> read = ReadRecord(fd.get());
      if (read.ok()) record = read.value();
    }
    return record ? &*record : nullptr;
  }

  // Reads the btrfs subvolume it lies in, for Delete's record, where it is
  // open and that is not known yet; that of the folder above it serves
  // where both lie on one device.
  void ReadSubvolume() {
    if (subvolume || !fd.open()) return;
    const FolderRecord* own = Record();
    const bool sameDevice = parent != nullptr && parent->subvolume && parent->record && own != nullptr &&
                            parent->record->identity.device == own->identity.device;
    subvolume = sameDevice ? *parent->subvolume : SubvolumeOf(fd.get());
  }

  // A node for its sub-folder `childName`, its child number `at`.
  std::unique_ptr<FolderNode> Child(size_t at, std::string_view childName) {
    auto child = std::make_unique<FolderNode>();
    child->parent = this;
    child->index = at;
    child->name = childName;
    child->anchor = anchor;
    return child;
  }
};

}  // namespace dustvane
