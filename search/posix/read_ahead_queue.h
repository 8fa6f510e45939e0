#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "search/posix/descriptor.h"
#include "search/posix/folder_listing.h"

namespace dustvane {

// What warming one folder found of it: its sub-folders, as the helper saw
// them, for the walk to know what comes after it. Nothing the walk lists.
struct FolderAnswer {
  int error = 0;             // why it was not warmed: errno (EXDEV where a mount shows there)
  FolderListing subFolders;  // where `whole`
  bool whole = false;        // false past the most one answer keeps
};

// A folder the queue holds open, that requests' paths lie below: the walk's
// root, or a mount the walk entered.
struct Anchor {
  int fd = -1;
  bool mayHoldEncrypted = true;  // its file system may hold encrypted folders
};

// All a request asks of a helper: brings the folder at `path` (ending in
// "/") below `anchor` into the kernel's caches, the way the walk will ask
// for it: opens it, reads it whole, and looks up the entries that match
// `filePattern`; then closes it. It opens only what the walk
// would enter: never through a link, never across a mount, never a folder
// the process may not search, and never an encrypted one (a helper holding
// it open would keep a key that is removed in use).
void AnswerRequest(const Anchor& anchor, const std::string& path, const std::string& filePattern, FolderReader& reader,
                   FolderAnswer& answer);

// What the helper threads are called, as tools that list threads show them.
inline constexpr const char* kHelperName = "read-ahead";

// Folders helpers have warmed so far in this process (tests and benchmarks).
uint64_t FoldersListedAheadSoFar();

// Requests from a walk's thread to helper threads that only make system
// calls, through a ring of slots the walk fills and helpers take from
// without a lock. A request is a path below an anchor (a folder the queue
// holds open: the walk's root, and each mount the walk enters) and a slot
// for the answer. A helper takes the oldest request no one has taken and
// answers it (AnswerRequest); the walk looks at the slot when it needs the
// answer, and may take back a request no helper has begun. An idle helper
// looks for work a while, then sleeps until the walk, behind with its
// requests, wakes it. The walk's thread makes
// every call, and none of them waits for a helper's work: Stop waits a
// quarter of a second at most. read_ahead_queue.cpp holds the whole
// protocol.
class ReadAheadQueue {
 public:
  struct Slot;
  // Where a slot's request stands: only a helper moves it from queued to
  // taken and on to answered, only the walk from queued or answered to free.
  enum class Progress : uint8_t { kFree, kQueued, kTaken, kAnswered };

  // Room for `requests` requests at once.
  explicit ReadAheadQueue(size_t requests);
  ~ReadAheadQueue();
  ReadAheadQueue(const ReadAheadQueue&) = delete;
  ReadAheadQueue& operator=(const ReadAheadQueue&) = delete;

  // Starts helpers until `count` run. `anyFd` is any open descriptor: with
  // it the process's descriptor table is grown once, before the first thread
  // starts, since growing it while threads run waits for the kernel.
  void StartHelpers(unsigned count, int anyFd);
  unsigned Helpers() const { return static_cast<unsigned>(threads_.size()); }

  // Keeps a copy of `fd` open as an anchor until the last helper has ended;
  // its number, for requests.
  size_t AddAnchor(int fd);
  // Queues a request, for the walk's node `of`, for the folder at `path`
  // below the anchor `anchor`, with the pattern of the files the walk asks
  // for; null when there is no room or no helper.
  Slot* Request(size_t anchor, const std::string& path, const std::string& filePattern, void* of);
  // After requests were queued: wakes a sleeping helper when more requests
  // wait than the helpers awake take soon.
  void WakeOneIfBehind();
  Progress Look(const Slot& slot) const;
  // Takes back a request no helper has begun: true, and its slot is free
  // again; false when a helper has it.
  bool Withdraw(Slot& slot);
  // The node of the first request that stands at `progress` in the slots
  // from `from` on, `from` moved past it; null when there is none.
  void* Next(Progress progress, size_t& from) const;
  // Moves the answer of an answered request into `answer`; the slot is free again.
  void Collect(Slot& slot, FolderAnswer& answer);

  // The helpers stop; one that does not within a quarter of a second (a file
  // system keeps it) is left to end on its own. Requests still queued stay in
  // their slots, to be taken back.
  void Stop();

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  std::vector<std::thread> threads_;
  std::vector<Slot*> free_;  // the walk's own list of free slots
};

}  // namespace dustvane
