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
#include "search/posix/folder_record.h"

namespace dustvane {

// What opening and listing one sub-folder found.
struct FolderAnswer {
  Descriptor fd;          // the folder, where it was opened
  int error = 0;          // why not: errno (EXDEV where a mount shows there)
  FolderRecord record;    // read from `fd` before its entries were
  ClockReading readAt;    // the file systems' clock just after the record was read
  FolderListing listing;  // its entries, where `whole`
  bool whole = false;     // false past the most one answer keeps: the walk lists such a folder itself
};

// All a request asks of a helper: opens the sub-folder `name` of the open
// folder `parentFd` on the same file system, with the walk's opener, reads
// its record and then its entries. On a cold tree (`coldPattern`) it reads
// the folder whole and looks up the entries that match, to bring them into
// the cache for the walk.
void AnswerRequest(int parentFd, const std::string& name, const std::string* coldPattern, FolderReader& reader,
                   FolderAnswer& answer);

// What the helper threads are called, as tools that list threads show them.
inline constexpr const char* kHelperName = "read-ahead";

// Folders helpers have listed so far in this process (tests and benchmarks).
uint64_t FoldersListedAheadSoFar();

// Requests from a walk's thread to helper threads that only make system
// calls, through a ring of slots the walk fills and helpers take from
// without a lock. A request is an open parent folder, which the walk keeps
// open until it is answered or taken back, a name, and a slot for the
// answer. A helper takes the oldest request no one has taken and answers it
// (AnswerRequest); the walk looks at the slot when it needs the answer, and
// may take back a request no helper has begun. Helpers also close
// descriptors the walk hands them. An idle helper looks for work a while,
// then sleeps until the walk, behind with its requests, wakes it. The
// walk's thread makes every call, and none of them waits for a helper's
// work: Stop waits a quarter of a second at most.
// read_ahead_queue.cpp holds the whole protocol.
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

  // Queues a request, for the walk's node `of`, for the sub-folder `name` of
  // the open folder `parentFd` (on a cold tree, with the pattern of the files
  // the walk asks for); null when there is no room or no helper.
  Slot* Request(int parentFd, std::string_view name, const std::string* coldPattern, void* of);
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

  // Hands `fd` to a helper to close; false, and the caller closes it, when
  // none can take it, `most` are still waiting to be closed, or the ring
  // has no room.
  bool CloseLater(int fd, size_t most);

  // The helpers stop; one that does not within a quarter of a second (a file
  // system keeps it) is left to end on its own. Requests still queued stay in
  // their slots, to be taken back.
  void Stop();
  // Keeps `fd` open until the last helper has ended: the parent folder of a
  // request a helper still works on after Stop.
  void KeepUntilHelpersEnd(Descriptor fd);

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  std::vector<std::thread> threads_;
  std::vector<Slot*> free_;  // the walk's own list of free slots
};

}  // namespace dustvane
