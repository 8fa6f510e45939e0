#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "search/posix/descriptor_budget.h"
#include "search/posix/folder_chain.h"
#include "search/posix/folder_listing.h"
#include "search/posix/read_ahead_helpers.h"

namespace dustvane {

// Reads ahead of a walk: while the walk works on one folder, a few helper
// threads open and list the folders it will come to next. A cold cache is
// served by one disk request at a time otherwise, and a disk can answer many
// at once.
//
// The walk stays in charge of what a search finds. It opens every folder
// itself, through its own chain; where a helper has listed the folder the
// walk has just opened, the walk takes that listing only when it is provably
// the folder's current content: the helper read the folder's record
// (identity and state) before its entries, the walk reads the record of its
// own descriptor after opening it, and the two are the same. A record proves
// that only where the file system shows every change in it: the kernel keeps
// it itself (not FUSE's or a network client's cached copy), and the folder's
// last change lies further back than the steps its times are kept in, which
// the record shows too (folder_record.h). Otherwise the walk reads the
// folder itself. So a listing is as fresh as the walk's own would be,
// however long ago a helper read it. Everything else (attributes, lengths,
// what is entered) the walk asks through its own descriptors.
//
// The helpers keep the walk's rules: a folder is only opened by its name
// inside its parent by the walk's own opener (folder_opener.h): never
// through a link, never into a system file system or a folder mounted below
// itself; never outside the part of the tree the walk is in; never below a
// folder the walk will not search, and not at all once the walk descends no
// more (file_system.h says how the layer knows). They stay within a window
// of folders ahead of the walk, hold descriptors from the walk's own budget
// (at most half of it), and a fixed amount of memory whatever the folders'
// size (read_ahead_plan.h, read_ahead_helpers.cpp).
//
// Stop, which the end of a walk calls, never waits long on a helper: one
// kept waiting by a file system that does not answer is left to finish on
// its own, and lets go of everything it holds when its call returns.
//
// A warm walk never starts a helper: every 16 folders (a folder of many
// entries counting as several) the walk's thread looks whether it has itself
// had blocks read from a disk (its ru_inblock), which a folder served from
// the cache never causes.
//
// Every call comes from the walk's thread.
class FolderReadAhead {
 public:
  // Measured on a virtual disk with two processors: 16 helpers read a cold
  // tree 5 to 10% sooner than 10 (more of the disk's requests in flight at
  // once), and with the helpers sharing malloc arenas take no more memory
  // than 10 did without.
  static constexpr unsigned kThreads = 16;

  FolderReadAhead(std::shared_ptr<DescriptorBudget> budget, ReadAheadMode mode, unsigned threads = kThreads);
  ~FolderReadAhead() { Stop(); }
  FolderReadAhead(const FolderReadAhead&) = delete;
  FolderReadAhead& operator=(const FolderReadAhead&) = delete;

  // A walk has begun: `chain` holds its root.
  void Start(FolderChain& chain);

  // The walk has opened the innermost folder of `chain`. Moves the helpers'
  // listing of it into `listing` and returns true when there is one and it
  // is provably the folder's current content; otherwise the walk lists it.
  bool Reached(FolderChain& chain, FolderListing& listing);

  // The walk has listed a folder of `entries` entries itself: a large one
  // counts as many small ones towards its next look at its disk reads.
  void WalkListed(size_t entries) { sinceLooked_ += static_cast<unsigned>(entries / kEntriesLikeAFolder); }

  // The walk will search nothing below the sub-folder `name` of the chain's
  // level `parent`.
  void SkipBelow(FolderChain& chain, size_t parent, std::string_view name);

  // The walk asks for files whose names match `namePattern`; the helpers
  // read what the file system keeps of each such file ahead of the walk.
  void LookForFiles(const std::string& namePattern);

  // Ends the read-ahead of the walk: the helpers stop and let go of what
  // they hold. Waits for them a little while at most.
  void Stop();

 private:
  // So many entries the walk lists weigh as one more folder.
  static constexpr size_t kEntriesLikeAFolder = 256;

  // What the helpers have of the folder the walk has reached.
  enum class Taken {
    kListing,  // its listing, now the walk's
    kKnown,    // the folder, but no listing the walk may take
    kBehind,   // nothing yet: the helpers are still catching up
    kLost,     // nothing, and nothing left to do: they went nowhere near the walk
  };
  Taken TakeListing(FolderChain& chain, FolderListing& listing);
  void LookAtWalkReads(FolderChain& chain);
  void Activate(FolderChain& chain);
  std::optional<AheadSeed> SeedAt(FolderChain& chain);
  void StartHelpers();

  std::shared_ptr<DescriptorBudget> budget_;
  const ReadAheadMode mode_;
  const unsigned threadCount_;

  // The walk's read-ahead, from Start until Stop; null when there is none.
  std::shared_ptr<ReadAheadShared> shared_;
  std::vector<std::thread> threads_;
  std::string lastFilePattern_;  // the walk's own copy, read without the lock
  // The walk's own: how many folders since it last looked at its disk
  // reads, how many blocks it had read then, and how many looks in a row
  // found it reading.
  unsigned sinceLooked_ = 0;
  uint64_t walkBlocks_ = 0;
  unsigned coldLooks_ = 0;
};

}  // namespace dustvane
