#include "search/posix/folder_read_ahead.h"

#include <fcntl.h>
#include <sys/statfs.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <chrono>
#include <mutex>
#include <system_error>

#include "search/posix/folder_record.h"
#include "search/posix/mount_table.h"

namespace dustvane {

namespace {

// Fewer descriptors than this and the read-ahead is not worth starting: a
// helper needs the parent and the folder it opens.
constexpr size_t kFewestHeld = 4;
// How long Stop waits for the helpers: one in an ordinary disk request is
// done long before; one kept waiting by a file system that does not answer
// is left behind, so that the search ends all the same.
constexpr std::chrono::milliseconds kMostWaitForHelpers{250};

// glibc gives every new thread a malloc arena of its own, up to eight per
// processor, and each keeps up to 128 KiB of freed memory resident: with
// helpers that is a megabyte for nothing. The helpers make a few allocations
// a folder, so two arenas serve them without waiting on each other.
void ShareMallocArenas() {
#ifdef __GLIBC__
  static std::once_flag once;
  std::call_once(once, [] { mallopt(M_ARENA_MAX, 2); });
#endif
}

}  // namespace

FolderReadAhead::FolderReadAhead(std::shared_ptr<DescriptorBudget> budget, ReadAheadMode mode, unsigned threads)
    : budget_(std::move(budget)), mode_(mode), threadCount_(threads) {}

void FolderReadAhead::Start(FolderChain& chain) {
  Stop();
  // Half the budget; the walk keeps the rest.
  if (mode_ == ReadAheadMode::kOff || budget_->Limit() / 2 < kFewestHeld + 1) return;
  auto descriptors = std::make_shared<HelperDescriptors>(budget_, budget_->Limit() / 2);
  shared_ = std::make_shared<ReadAheadShared>(mode_, chain.Mounts(), std::move(descriptors), threadCount_);
  walkBlocks_ = BlocksReadByThisThread();
  sinceLooked_ = 0;
  coldLooks_ = 0;
  lastFilePattern_.clear();
  if (mode_ == ReadAheadMode::kAlways) Activate(chain);
}

bool FolderReadAhead::Reached(FolderChain& chain, FolderListing& listing) {
  if (!shared_) return false;
  if (shared_->active.load(std::memory_order_relaxed)) {
    const Taken taken = TakeListing(chain, listing);
    if (taken != Taken::kLost) return taken == Taken::kListing;
  }
  LookAtWalkReads(chain);
  return false;
}

FolderReadAhead::Taken FolderReadAhead::TakeListing(FolderChain& chain, FolderListing& listing) {
  const size_t depth = chain.Depth();
  const FolderRecord* parent = depth > 1 ? chain.Record(depth - 2) : nullptr;
  // Read now, after the walk opened the folder: its state as the walk sees it.
  const FolderRecord* here = depth > 1 ? chain.Record(depth - 1) : nullptr;
  if (parent == nullptr || here == nullptr) return Taken::kKnown;
  std::optional<FolderListing> handed;
  FolderRecord listed;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    ReadAheadPlan& plan = shared_->plan;
    const AheadFolderPtr at = plan.WalkReaches(parent->identity, chain.Name(depth - 1));
    if (at == nullptr) return plan.HasTask() || shared_->seed ? Taken::kBehind : Taken::kLost;
    // Helpers that filled the window wait until the walk has used a good
    // part of it, then fill it again together: waking one for every folder
    // the walk passes would cost a switch per folder.
    if (shared_->windowFull && plan.Ahead() + kAheadRefill <= kAheadWindow) {
      shared_->windowFull = false;
      shared_->work.notify_all();
    }
    handed = plan.TakeListing(*at);
    listed = at->record;
  }
  // Only the entries of the very folder the walk has open, read while it
  // was in the very state it is in now, will do.
  if (!handed || !(listed == *here)) return Taken::kKnown;
  listing = std::move(*handed);
  return Taken::kListing;
}

void FolderReadAhead::LookAtWalkReads(FolderChain& chain) {
  if (++sinceLooked_ < kLookEvery) return;
  sinceLooked_ = 0;
  const uint64_t blocks = BlocksReadByThisThread();
  // Twice in a row: a cold tree reads from the disk all the time, while a
  // warm one may now and then page in a piece of the program itself.
  coldLooks_ = blocks != walkBlocks_ ? coldLooks_ + 1 : 0;
  walkBlocks_ = blocks;
  if (coldLooks_ >= 2 || mode_ == ReadAheadMode::kAlways) Activate(chain);
}

// The helpers forget what they knew and start from where the walk is.
void FolderReadAhead::Activate(FolderChain& chain) {
  std::optional<AheadSeed> seed = SeedAt(chain);
  if (!seed) return;
  StartHelpers();
  auto above = std::make_shared<const std::vector<FolderIdentity>>(std::move(seed->above));
  std::lock_guard<std::mutex> lock(shared_->mutex);
  ++shared_->generation;
  shared_->plan.Clear();
  shared_->seed = std::move(seed);
  shared_->above = std::move(above);
  shared_->cachedInARow = 0;
  shared_->windowFull = false;
  shared_->active = true;
  shared_->work.notify_all();
}

// Where the helpers can follow the walk from: the outermost open folder of
// its chain, the names from there down to the innermost, and the folders
// above.
std::optional<AheadSeed> FolderReadAhead::SeedAt(FolderChain& chain) {
  const size_t from = chain.OutermostOpen();
  if (!shared_->descriptors->Take()) return std::nullopt;
  const int fd = fcntl(chain.Fd(from), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) {
    shared_->descriptors->GiveBack();
    return std::nullopt;
  }
  AheadSeed seed;
  seed.from = std::make_shared<HeldFolder>(fd, shared_->descriptors);
  seed.path = chain.AbsolutePathOf(from);
  struct statfs fs;
  seed.kernelRecords = fstatfs(fd, &fs) == 0 && !RecordsMayBeCached(static_cast<long>(fs.f_type));
  for (size_t level = from + 1; level < chain.Depth(); ++level) seed.names.emplace_back(chain.Name(level));
  for (size_t level = 0; level < from; ++level) {
    if (const FolderRecord* record = chain.Record(level)) seed.above.push_back(record->identity);
  }
  return seed;
}

void FolderReadAhead::StartHelpers() {
  if (!threads_.empty()) return;
  ShareMallocArenas();
  for (size_t slot = 0; slot < threadCount_; ++slot) {
    try {
      threads_.emplace_back(RunHelper, shared_, slot);
    } catch (const std::system_error&) {
      // Fewer helpers, or none: the walk does not need them.
      std::lock_guard<std::mutex> lock(shared_->mutex);
      for (size_t unstarted = slot; unstarted < threadCount_; ++unstarted) shared_->finished[unstarted] = true;
      break;
    }
  }
}

void FolderReadAhead::SkipBelow(FolderChain& chain, size_t parent, std::string_view name) {
  if (!shared_ || !shared_->active.load(std::memory_order_relaxed)) return;
  const FolderRecord* record = chain.Record(parent);
  if (record == nullptr) return;
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->plan.SkipBelow(record->identity, name);
}

void FolderReadAhead::LookForFiles(const std::string& namePattern) {
  if (!shared_ || namePattern == lastFilePattern_) return;
  lastFilePattern_ = namePattern;
  auto pattern = std::make_shared<const std::string>(namePattern);
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->filePattern = std::move(pattern);
}

void FolderReadAhead::Stop() {
  if (!shared_) return;
  std::vector<bool> finished;
  {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->stop = true;
    shared_->active = false;
    ++shared_->generation;
    shared_->work.notify_all();
    const auto allFinished = [this] {
      for (size_t slot = 0; slot < threads_.size(); ++slot) {
        if (!shared_->finished[slot]) return false;
      }
      return true;
    };
    shared_->stopped.wait_for(lock, kMostWaitForHelpers, allFinished);
    finished = shared_->finished;
    // What the plan holds goes now; a helper still at work keeps only what
    // it has in hand, and lets go of it when its call returns.
    shared_->plan.Clear();
    shared_->seed.reset();
  }
  for (size_t slot = 0; slot < threads_.size(); ++slot) {
    if (finished[slot]) {
      threads_[slot].join();
    } else {
      threads_[slot].detach();
    }
  }
  threads_.clear();
  shared_.reset();
}

}  // namespace dustvane
