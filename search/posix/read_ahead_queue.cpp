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
#include "search/posix/folder_opener.h"

namespace dustvane {

namespace {

using Clock = std::chrono::steady_clock;

// What one answer keeps of a folder's entries. Past this the walk lists the
// folder itself (from the cache the helper filled), so that what the helpers
// hold stays the same whatever the size of the folders.
constexpr size_t kMostAnswerBytes = 256 << 10;
// How long an idle helper looks for work before it sleeps: longer than the
// walk takes over most folders, so that a helper beside a busy walk is never
// put to sleep and woken again (a wake-up takes longer than a folder).
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
// allocate little, but sixteen of them on a cold tree take their listings'
// blocks at once: four arenas keep them from waiting on each other's lock
// (a fifth fewer futex calls than two) for some 150 KiB more.
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

void AnswerRequest(int parentFd, const std::string& name, const std::string* coldPattern, FolderReader& reader,
                   FolderAnswer& answer) {
  answer.whole = false;
  answer.listing.Clear();
  Result<int> opened = OpenSubFolderWithoutCrossing(parentFd, name);
  answer.fd.reset(opened.ok() ? opened.value() : -1);
  Result<FolderRecord> record = opened.ok() ? ReadRecord(opened.value()) : opened.failure();
  answer.error = record.ok() ? 0 : record.failure().number;
  if (!record.ok()) return;
  // The record first: the entries read after it are at least as new.
  answer.record = record.value();
  answer.readAt = ReadFileSystemClock();
  size_t bytes = 0;
  bool whole = true;
  const int fd = answer.fd.get();
  const MaybeFailure failure = reader.ReadAll(fd, true, [&](std::string_view entry, EntryKind kind) {
    bytes += entry.size() + 3;
    if (whole && bytes > kMostAnswerBytes) answer.listing.Clear();
    whole = whole && bytes <= kMostAnswerBytes;
    if (whole) answer.listing.Add(entry, kind);
    if (coldPattern != nullptr && kind != EntryKind::kFolder && MatchesNamePattern(entry, *coldPattern)) {
      struct stat st;
      static_cast<void>(fstatat(fd, std::string(entry).c_str(), &st, AT_SYMLINK_NOFOLLOW));
    }
    return whole || coldPattern != nullptr;
  });
  answer.whole = whole && !failure;
}

uint64_t FoldersListedAheadSoFar() { return listedAhead.load(std::memory_order_relaxed); }

struct ReadAheadQueue::Slot {
  std::atomic<Progress> state{Progress::kFree};
  void* of = nullptr;  // the walk's own: whose request it is
  // Written by the walk before the request is queued, read by the helper
  // that takes it.
  int parentFd = -1;
  std::string name;
  bool cold = false;
  std::string filePattern;
  // Written by that helper, read by the walk once the state says answered.
  FolderAnswer answer;
};

// What the walk shares with its helpers, who hold it too: one kept by a file
// system that never answers outlives the walk and, when its call returns,
// ends; the last to let go of this closes every descriptor left in it.
//
// The ring: the walk alone adds entries (at `tail`); anyone takes the entry
// at `head` by moving `head` past it. An entry is a slot, or a descriptor to
// close (odd: its number shifted left by one). A slot's state decides who
// does a request: an entry whose slot is no longer queued is passed over.
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

  // An idle helper looks for work a while before it sleeps, so that a
  // partner beside a busy walk is never put to sleep and woken again; a
  // sleeping one is woken by the walk, one at a time, while it is behind.
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
    if ((entry & 1) != 0) {
      close(static_cast<int>(entry >> 1));
      closing.fetch_sub(1, std::memory_order_relaxed);
      return;
    }
    Slot& slot = *reinterpret_cast<Slot*>(entry);
    Progress queued = Progress::kQueued;
    if (!slot.state.compare_exchange_strong(queued, Progress::kTaken, std::memory_order_acq_rel)) return;
    AnswerRequest(slot.parentFd, slot.name, slot.cold ? &slot.filePattern : nullptr, reader, slot.answer);
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
  std::atomic<size_t> closing{0};  // descriptors in the ring to close
  std::atomic<bool> stopped{false};

  std::mutex mutex;
  std::condition_variable done;  // Stop waits here
  std::vector<bool> finished;    // by helper, guarded by `mutex`
  // Written by the walk after Stop; closed with this.
  std::vector<Descriptor> leftovers;
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

ReadAheadQueue::Slot* ReadAheadQueue::Request(int parentFd, std::string_view name, const std::string* coldPattern,
                                              void* of) {
  if (free_.empty() || threads_.empty() || !shared_->HasRoom()) return nullptr;
  Slot* slot = free_.back();
  free_.pop_back();
  slot->of = of;
  slot->parentFd = parentFd;
  slot->name.assign(name);
  slot->cold = coldPattern != nullptr;
  if (slot->cold) slot->filePattern.assign(*coldPattern);
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

bool ReadAheadQueue::CloseLater(int fd, size_t most) {
  // Never when every helper sleeps, which one would have to be woken for,
  // and never more than half the ring, so that requests always find room.
  if (shared_->sleepers.load(std::memory_order_relaxed) >= threads_.size() ||
      shared_->closing.load(std::memory_order_relaxed) >= std::min(most, shared_->ringSize / 2)) {
    return false;
  }
  shared_->closing.fetch_add(1, std::memory_order_relaxed);
  // The ring may be full of requests taken back, which no helper has passed
  // over yet: the walk closes it itself then.
  if (shared_->Push((static_cast<uintptr_t>(fd) << 1) | 1)) return true;
  shared_->closing.fetch_sub(1, std::memory_order_relaxed);
  return false;
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
  // The descriptors still to close; requests left in the ring stay in their slots.
  for (uintptr_t entry; shared_->TryPop(entry);) {
    if ((entry & 1) != 0) close(static_cast<int>(entry >> 1));
  }
}

void ReadAheadQueue::KeepUntilHelpersEnd(Descriptor fd) { shared_->leftovers.push_back(std::move(fd)); }

}  // namespace dustvane
