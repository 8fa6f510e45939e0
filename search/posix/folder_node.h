#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/posix/descriptor.h"
#include "search/posix/folder_listing.h"
#include "search/posix/folder_record.h"
#include "search/posix/folder_proof.h"
#include "search/posix/read_ahead_queue.h"

namespace dustvane {

// One folder of a walk: on the walk's way (the chain, from the root to where
// the walk is), or ahead of it. The walk's thread alone reads or changes
// nodes; a helper is given no more than a request made from one.
struct FolderNode {
  enum class State : uint8_t {
    kUnqueued,  // known from its parent's listing, nothing asked yet
    kQueued,    // a request for it is in the queue (`request`)
    kReady,     // opened and listed ahead of the walk: `fd`, `record` and `listing` are a helper's answer
    kTaken,     // the walk is in it, or has been
    kDropped,   // the walk will not come here: let go of once nothing uses it
  };
  static constexpr uint32_t kNotWalked = UINT32_MAX;

  FolderNode* parent = nullptr;
  size_t index = 0;  // its place among its parent's children
  std::string name;  // inside its parent; the root's path for the root
  State state = State::kUnqueued;
  bool trusted = false;      // its file system's records are the kernel's own, no cached copies
  bool walkOnly = false;     // a mount shows there: only the walk opens it, by its rules
  bool holdsMounts = false;  // a mount shows directly inside it
  uint32_t pins = 0;         // requests in flight for its sub-folders, which use `fd`
  uint32_t walked = kNotWalked;  // where Delete's record holds it
  std::optional<SubvolumeId> subvolume;  // for Delete's record, read while it was open

  Descriptor fd;  // -1 when not open (given back, or closed to the walk)
  std::optional<FolderRecord> record;
  FolderListing listing;
  // The sub-folders of `listing` made nodes so far, in its order, from
  // `firstChild` on (those before it are passed); where the next one lies.
  std::vector<std::unique_ptr<FolderNode>> children;
  size_t firstChild = 0;
  FolderListing::Place nextChild;

  // While queued: the request. While ready: what else the answer said.
  ReadAheadQueue::Slot* request = nullptr;
  int error = 0;
  ClockReading readAt;  // when the answer's record was read; 0 when no answer is held
  bool whole = false;

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
    child->trusted = trusted;
    return child;
  }
};

}  // namespace dustvane
