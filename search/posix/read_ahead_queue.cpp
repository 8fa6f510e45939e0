#include "search/posix/read_ahead_queue.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <sys/stat.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <system_error>

#include "search/name_pattern.h"
#include "search/posix/errno_failure.h"
#include "search/posix/folder_opener.h"
#include "search/posix/folder_record.h"

namespace dustvane {

namespace {

using Clock = std::chrono::steady_clock;

// What one answer keeps of a folder's sub-folders. Past this the helpers
// warm no more of them, so that what their answers hold stays the same
// whatever the size of the folders.
constexpr size_t kMostAnswerBytes = 256 << 10;
// How long an idle helper looks for work before it sleeps: longer than the
// walk takes over most folders, so that a helper is not put to sleep and
// woken again between two of them (a wake-up takes longer than a folder).
constexpr auto kLookBeforeSleeping = std::chrono::milliseconds(1);
// Entries waiting in the ring for each helper awake, past which the walk
// wakes one more: while those awake keep up, the others sleep on.
constexpr size_t kWaitingForEachAwake = 3;
// How long Stop waits for the helpers: one in an ordinary disk request is
// done long before; one kept by a file system that does not answer is left.
constexpr auto kMostWaitForHelpers = std::chrono::milliseconds(250);

std::atomic<uint64_t> listedAhead{0};

using Progress = ReadAheadQueue::Progress;

// glibc gives every new thread a malloc arena of its own, up to eight per
// processor, each keeping up to 128 KiB of freed memory resident. Helpers
// allocate little, but sixteen of them take their answers' blocks at once:
// four arenas keep them from waiting on each other's lock (a fifth fewer
// futex calls than two) for some 150 KiB more.
void ShareMallocArenas() {
  static std::once_flag once;
  std::call_once(once, [] { mallopt(M_ARENA_MAX, 4); });
}

// Makes the process's descriptor table as large as its open-files limit
// allows (at most 1,024), once: the kernel grows it as descriptors are
// opened, and growing it while threads share it waits for them all.
void GrowDescriptorTable(int anyFd) {
  static std::once_flag once;
  std::call_once(once, [anyFd] {
    struct rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur < 2) return;
    const int highest = static_cast<int>(std::min<rlim_t>(limit.rlim_cur - 1, 1023));
    const int grown = fcntl(anyFd, F_DUPFD_CLOEXEC, highest);
    if (grown >= 0) close(grown);
  });
}

// The futex word the helpers sleep on: the walk wakes one at a time, Stop
// wakes them all.
void FutexWait(std::atomic<uint32_t>& word, uint32_t seen) {
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAIT_PRIVATE, seen, nullptr, nullptr, 0);
}
void FutexWake(std::atomic<uint32_t>& word, int count) {
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAKE_PRIVATE, count, nullptr, nullptr, 0);
}

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

}  // namespace

void AnswerRequest(const Anchor& anchor, const std::string& path, const std::string& filePattern, FolderReader& reader,
                   FolderAnswer& answer) {
  answer.whole = false;
  answer.subFolders.Clear();
  // Where the folder may be encrypted, it is looked at through a path-only
  // descriptor, which reads nothing of it, before it is opened.
  Result<int> opened = OpenPathBelow(anchor.fd, path, anchor.mayHoldEncrypted);
  if (opened.ok() && anchor.mayHoldEncrypted) {
    const Descriptor at(opened.value());
    opened = IsEncrypted(at.get()) ? Result<int>(ErrnoFailure(EPERM)) : OpenSubFolder(at.get(), ".");
  }
  answer.error = opened.ok() ? 0 : opened.failure().number;
  if (!opened.ok()) return;
  const Descriptor folder(opened.value());
  size_t bytes = 0;
  bool whole = true;
  const MaybeFailure failure = reader.ReadAll(folder.get(), true, [&](std::string_view entry, EntryKind kind) {
    if (kind == EntryKind::kFolder && entry != "." && entry != "..") {
      bytes += entry.size() + 3;
      whole = whole && bytes <= kMostAnswerBytes;
      if (whole) answer.subFolders.Add(entry, kind);
    } else if (kind != EntryKind::kFolder && MatchesNamePattern(entry, filePattern)) {
      struct stat looked;
      static_cast<void>(fstatat(folder.get(), std::string(entry).c_str(), &looked, AT_SYMLINK_NOFOLLOW));
    }
    return true;
  });
  answer.whole = whole && !failure;
}

uint64_t FoldersListedAheadSoFar() { return listedAhead.load(std::memory_order_relaxed); }

struct ReadAheadQueue::Slot {
  std::atomic<Progress> state{Progress::kFree};
  void* of = nullptr;  // the walk's own: whose request it is
  // Written by the walk before the request is queued, read by the helper
  // that takes it.
  Anchor anchor;
  std::string path;
  std::string filePattern;
  // Written by that helper, read by the walk once the state says answered.
  FolderAnswer answer;
};

// What the walk shares with its helpers, who hold it too: one kept by a file
// system that never answers outlives the walk and, when its call returns,
// ends; the last to let go of this closes the anchors.
//
// The ring: the walk alone adds entries (at `tail`); anyone takes the entry
// at `head` by moving `head` past it. An entry is a slot; its state decides
// who does a request: an entry whose slot is no longer queued is passed over.
struct ReadAheadQueue::Shared {
  explicit Shared(size_t requests)
      : slots(new Slot[requests]), slotCount(requests), ringSize(2 * requests), ring(new std::atomic<uintptr_t>[2 * requests]) {}

  // Only the walk adds, so there is room still when it comes to add.
  bool HasRoom() const {
    return tail.load(std::memory_order_relaxed) - head.load(std::memory_order_acquire) < ringSize;
  }

  bool Push(uintptr_t entry) {
    if (!HasRoom()) return false;
    const size_t at = tail.load(std::memory_order_relaxed);
    ring[at % ringSize].store(entry, std::memory_order_relaxed);
    tail.store(at + 1, std::memory_order_seq_cst);
    return true;
  }

  bool TryPop(uintptr_t& entry) {
    size_t at = head.load(std::memory_order_acquire);
    while (at != tail.load(std::memory_order_acquire)) {
      // Read before head moves on: once it has, the walk may write there again.
      entry = ring[at % ringSize].load(std::memory_order_relaxed);
      if (head.compare_exchange_weak(at, at + 1, std::memory_order_acq_rel)) return true;
    }
    return false;
  }

  bool Empty() const { return head.load(std::memory_order_seq_cst) == tail.load(std::memory_order_seq_cst); }

  // After the walk added entries: wakes one sleeping helper when more wait
  // than those awake take soon, unless the last wake has not been answered
  // yet (so that a burst of requests wakes helpers one by one, each only
  // while the backlog stands). A helper counts itself asleep before it looks
  // at the ring a last time, and the walk adds before it looks at the
  // counts, each in one order with the other: one of them sees the other;
  // and a wake that comes between the helper's last look and its sleep
  // changes `wakes`, so that it does not sleep.
  void WakeOneIfBehind(unsigned helpers) {
    const unsigned sleeping = sleepers.load(std::memory_order_seq_cst);
    if (sleeping == 0 || wakeUnanswered.load(std::memory_order_seq_cst)) return;
    const size_t waiting = tail.load(std::memory_order_seq_cst) - head.load(std::memory_order_seq_cst);
    const size_t awake = helpers - std::min(sleeping, helpers);
    if (waiting == 0 || waiting <= kWaitingForEachAwake * awake) return;
    wakeUnanswered.store(true, std::memory_order_seq_cst);
    wakes.fetch_add(1, std::memory_order_seq_cst);
    FutexWake(wakes, 1);
  }

  // The helper sleeps unless the ring holds an entry.
  void Sleep() {
    const uint32_t seen = wakes.load(std::memory_order_seq_cst);
    sleepers.fetch_add(1, std::memory_order_seq_cst);
    if (!stopped.load(std::memory_order_seq_cst) && Empty()) FutexWait(wakes, seen);
    sleepers.fetch_sub(1, std::memory_order_seq_cst);
    wakeUnanswered.store(false, std::memory_order_seq_cst);
  }

  // An idle helper looks for work a while before it sleeps, so that it is
  // not put to sleep and woken again between two folders; a sleeping one
  // is woken by the walk, one at a time, while it is behind.
  void Run(size_t index) {
    pthread_setname_np(pthread_self(), kHelperName);
    FolderReader reader;
    Clock::time_point idleSince;
    // Turns round the loop since the last entry: from the first, it looks.
    unsigned turns = 0;
    while (!stopped.load(std::memory_order_acquire)) {
      uintptr_t entry;
      if (TryPop(entry)) {
        Handle(entry, reader);
        turns = 0;
      } else if (turns++ == 0) {
        idleSince = Clock::now();
      } else if (turns % 64 != 0) {
        Pause();
      } else if (Clock::now() - idleSince < kLookBeforeSleeping) {
        // Whatever else waits for this processor goes first: on a busy
        // machine an idle helper takes no time from it, nor from the walk.
        std::this_thread::yield();
      } else {
        Sleep();
        turns = 0;
      }
    }
    std::lock_guard<std::mutex> lock(mutex);
    finished[index] = true;
    done.notify_all();
  }

  void Handle(uintptr_t entry, FolderReader& reader) {
    Slot& slot = *reinterpret_cast<Slot*>(entry);
    Progress queued = Progress::kQueued;
    if (!slot.state.compare_exchange_strong(queued, Progress::kTaken, std::memory_order_acq_rel)) return;
    AnswerRequest(slot.anchor, slot.path, slot.filePattern, reader, slot.answer);
    listedAhead.fetch_add(1, std::memory_order_relaxed);
    slot.state.store(Progress::kAnswered, std::memory_order_release);
  }

  std::unique_ptr<Slot[]> slots;
  const size_t slotCount;
  const size_t ringSize;
  std::unique_ptr<std::atomic<uintptr_t>[]> ring;
  std::atomic<size_t> head{0};
  std::atomic<size_t> tail{0};
  std::atomic<unsigned> sleepers{0};
  std::atomic<uint32_t> wakes{0};    // the futex helpers sleep on: changed by each wake
  std::atomic<bool> wakeUnanswered{false};  // no helper has come out of its sleep since the last wake
  std::atomic<bool> stopped{false};

  std::mutex mutex;
  std::condition_variable done;  // Stop waits here
  std::vector<bool> finished;    // by helper, guarded by `mutex`
  // The walk's alone: helpers only see the anchors in their requests.
  std::vector<Descriptor> anchorFds;
  std::vector<Anchor> anchors;
};

ReadAheadQueue::ReadAheadQueue(size_t requests) : shared_(std::make_shared<Shared>(requests)) {
  for (size_t i = requests; i-- > 0;) free_.push_back(&shared_->slots[i]);
}

ReadAheadQueue::~ReadAheadQueue() { Stop(); }

void ReadAheadQueue::StartHelpers(unsigned count, int anyFd) {
  if (threads_.size() >= count || shared_->stopped.load()) return;
  ShareMallocArenas();
  GrowDescriptorTable(anyFd);
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->finished.resize(count, false);
  }
  while (threads_.size() < count) {
    try {
      threads_.emplace_back([shared = shared_, index = threads_.size()] { shared->Run(index); });
    } catch (const std::system_error&) {
      // Fewer helpers, or none: the walk does not need them.
      std::lock_guard<std::mutex> lock(shared_->mutex);
      shared_->finished.resize(threads_.size());
      return;
    }
  }
}

size_t ReadAheadQueue::AddAnchor(int fd) {
  shared_->anchorFds.emplace_back(fcntl(fd, F_DUPFD_CLOEXEC, 0));
  shared_->anchors.push_back({shared_->anchorFds.back().get(), MayHoldEncryptedFolders(fd)});
  return shared_->anchors.size() - 1;
}

ReadAheadQueue::Slot* ReadAheadQueue::Request(size_t anchor, const std::string& path, const std::string& filePattern,
                                              void* of) {
  if (free_.empty() || threads_.empty() || !shared_->HasRoom()) return nullptr;
  Slot* slot = free_.back();
  free_.pop_back();
  slot->of = of;
  slot->anchor = shared_->anchors[anchor];
  slot->path = path;
  slot->filePattern = filePattern;
  slot->state.store(Progress::kQueued, std::memory_order_release);
  shared_->Push(reinterpret_cast<uintptr_t>(slot));
  return slot;
}

void ReadAheadQueue::WakeOneIfBehind() { shared_->WakeOneIfBehind(Helpers()); }

Progress ReadAheadQueue::Look(const Slot& slot) const { return slot.state.load(std::memory_order_acquire); }

void* ReadAheadQueue::Next(Progress progress, size_t& from) const {
  while (from < shared_->slotCount) {
    const Slot& slot = shared_->slots[from++];
    if (slot.of != nullptr && Look(slot) == progress) return slot.of;
  }
  return nullptr;
}

bool ReadAheadQueue::Withdraw(Slot& slot) {
  Progress queued = Progress::kQueued;
  if (!slot.state.compare_exchange_strong(queued, Progress::kFree, std::memory_order_acq_rel)) return false;
  slot.of = nullptr;
  free_.push_back(&slot);
  return true;
}

void ReadAheadQueue::Collect(Slot& slot, FolderAnswer& answer) {
  std::swap(answer, slot.answer);
  slot.of = nullptr;
  slot.state.store(Progress::kFree, std::memory_order_relaxed);
  free_.push_back(&slot);
}

void ReadAheadQueue::Stop() {
  if (shared_->stopped.exchange(true)) return;
  shared_->wakes.fetch_add(1, std::memory_order_seq_cst);
  FutexWake(shared_->wakes, INT_MAX);
  std::vector<bool> finished;
  {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->done.wait_for(lock, kMostWaitForHelpers, [this] {
      return std::find(shared_->finished.begin(), shared_->finished.end(), false) == shared_->finished.end();
    });
    finished = shared_->finished;
  }
  for (size_t i = 0; i < threads_.size(); ++i) {
    if (finished[i]) {
      threads_[i].join();
    } else {
      threads_[i].detach();
    }
  }
  threads_.clear();
}

}  // namespace dustvane
