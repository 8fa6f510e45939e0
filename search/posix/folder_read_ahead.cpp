#include "search/posix/folder_read_ahead.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <system_error>

#include "search/name_pattern.h"
#include "search/posix/closed_folder.h"

namespace dustvane {

namespace {

using namespace std::chrono_literals;

// How far the helpers may run ahead of the walk, in folders listed that the
// walk has not reached yet. Enough to keep every helper busy with a disk
// request while the walk catches up, small enough that a search cut short
// has read little in vain.
constexpr size_t kWindow = 1024;
// How far the walk moves into a full window before the helpers go on.
constexpr size_t kRefill = kWindow / 4;
// Fewer descriptors than this and the read-ahead is not worth starting: a
// helper needs the parent and the folder it opens.
constexpr size_t kFewestHeld = 4;
// Paths longer than this are left to the walk: it keeps the helpers' memory
// small in trees thousands of folders deep.
constexpr size_t kLongestPath = 4096;
// How often the walk looks whether its own reads went to the disk while the
// helpers rest, and a helper whether its own did, in folders: often enough
// to start or rest them within a few folders of a change, rarely enough to
// cost nothing.
constexpr unsigned kLookEvery = 16;
// This many helper listings in a row served from the cache, and the helpers
// rest until the walk meets the disk again.
constexpr size_t kCachedInARowToRest = 256;

// Blocks the calling thread has had read from a disk so far. It counts
// requests the thread itself sent, never those it only waited on, and a
// folder read from the cache sends none.
uint64_t BlocksReadByThisThread() {
  struct rusage usage;
#ifdef RUSAGE_THREAD
  if (getrusage(RUSAGE_THREAD, &usage) != 0) return 0;
#else
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
#endif
  return static_cast<uint64_t>(usage.ru_inblock);
}

bool IsDotOrDotDot(std::string_view name) { return name == "." || name == ".."; }

}  // namespace

FolderReadAhead::FolderReadAhead(DescriptorBudget& budget, ReadAheadMode mode, unsigned threads)
    : budget_(budget), mode_(mode), threadCount_(threads) {}

bool FolderReadAhead::Covers(const std::string& folder) const {
  return Started() && folder.compare(0, root_.size(), root_) == 0;
}

void FolderReadAhead::Start(const std::string& root, int rootFd, const std::string& absoluteRoot,
                            const MountMap& mounts) {
  Stop();
  if (mode_ == ReadAheadMode::kOff) return;
  // Half the budget, the root's duplicate included; the walk keeps the rest.
  mostHeld_ = budget_.Limit() / 2 - 1;
  if (budget_.Limit() / 2 < kFewestHeld + 1 || !budget_.TryTake()) return;
  rootFd_ = fcntl(rootFd, F_DUPFD_CLOEXEC, 0);
  if (rootFd_ < 0) {
    budget_.GiveBack();
    return;
  }
  root_ = root;
  absoluteRoot_ = absoluteRoot;
  walkMounts_ = &mounts;
  walkBlocks_ = BlocksReadByThisThread();
  sinceLooked_ = 0;
  coldLooks_ = 0;
  if (mode_ == ReadAheadMode::kAlways) {
    std::lock_guard<std::mutex> lock(mutex_);
    Activate(root_);
  }
}

bool FolderReadAhead::Reached(const std::string& folder, int fd, FolderListing& listing) {
  if (!Started()) return false;
  if (active_.load(std::memory_order_relaxed)) {
    bool known = false;
    std::optional<FolderListing> handed;
    FolderIdentity identity;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const AheadFolderPtr here = plan_.WalkReaches(folder);
      if (here == nullptr) {
        // Helpers still busy are catching up. With nothing left, they went
        // nowhere near the walk: they start again from where it is.
        if (plan_.HasTask() || !seedAt_.empty()) return false;
      } else {
        // Helpers that filled the window wait until the walk has used a good
        // part of it, then fill it again together: waking one for every
        // folder the walk passes would cost a switch per folder.
        if (windowFull_ && plan_.Ahead() + kRefill <= kWindow) {
          windowFull_ = false;
          work_.notify_all();
        }
        known = true;
        handed = plan_.TakeListing(*here);
        identity = here->identity;
      }
    }
    if (known) {
      // Only a listing of the very folder the walk has open will do: the
      // name may stand for another one by now.
      struct stat st;
      if (!handed || fstat(fd, &st) != 0 || !(FolderIdentity{st.st_dev, st.st_ino} == identity)) return false;
      handed->MoveEntriesTo(listing);
      return true;
    }
  }
  // Looked at only now and then, and never where the helpers do not go.
  if (++sinceLooked_ < kLookEvery || folder.size() > kLongestPath) return false;
  sinceLooked_ = 0;
  const uint64_t blocks = BlocksReadByThisThread();
  // Twice in a row: a cold tree reads from the disk all the time, while a
  // warm one may now and then page in a piece of the program itself.
  coldLooks_ = blocks != walkBlocks_ ? coldLooks_ + 1 : 0;
  walkBlocks_ = blocks;
  if (coldLooks_ < 2 && mode_ != ReadAheadMode::kAlways) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  Activate(folder);
  return false;
}

void FolderReadAhead::LookForFiles(const std::string& namePattern) {
  if (!Started() || namePattern == lastFilePattern_) return;
  lastFilePattern_ = namePattern;
  auto pattern = std::make_shared<const std::string>(namePattern);
  std::lock_guard<std::mutex> lock(mutex_);
  filePattern_ = std::move(pattern);
}

void FolderReadAhead::Stop() {
  if (!Started() && threads_.empty()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    work_.notify_all();
  }
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
  std::lock_guard<std::mutex> lock(mutex_);
  plan_.Clear();
  seedAt_.clear();
  mounts_.reset();
  filePattern_.reset();
  lastFilePattern_.clear();
  active_ = false;
  windowFull_ = false;
  stop_ = false;
  ++generation_;
  if (rootFd_ >= 0) {
    close(rootFd_);
    budget_.GiveBack();
    rootFd_ = -1;
  }
}

// With the lock held: the helpers forget what they knew and start from
// `folder`, where the walk is.
void FolderReadAhead::Activate(const std::string& folder) {
  while (threads_.size() < threadCount_) {
    try {
      threads_.emplace_back([this] { Help(); });
    } catch (const std::system_error&) {
      break;  // fewer helpers, or none: the walk does not need them
    }
  }
  if (!mounts_) mounts_ = std::make_shared<const MountMap>(*walkMounts_);
  ++generation_;
  plan_.Clear();
  seedAt_ = folder;
  cachedInARow_ = 0;
  windowFull_ = false;
  active_ = true;
  work_.notify_all();
}

bool FolderReadAhead::TakeDescriptor() {
  if (held_.load(std::memory_order_relaxed) >= mostHeld_ || !budget_.TryTake()) return false;
  held_.fetch_add(1, std::memory_order_relaxed);
  return true;
}

void FolderReadAhead::GiveBackDescriptor() {
  held_.fetch_sub(1, std::memory_order_relaxed);
  budget_.GiveBack();
}

void FolderReadAhead::Help() {
  FolderListing listing;
  // Its own disk reads, looked at every kLookEvery listings.
  uint64_t blocks = BlocksReadByThisThread();
  unsigned sinceLooked = 0;
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_) {
    if (!seedAt_.empty()) {
      const std::string at = std::move(seedAt_);
      seedAt_.clear();
      const uint64_t generation = generation_;
      const Tools tools{mounts_, filePattern_, &listing};
      lock.unlock();
      std::vector<AheadFolderPtr> way = SeedAt(at, tools);
      lock.lock();
      if (generation == generation_) {
        for (const AheadFolderPtr& folder : way) plan_.AddPassed(folder);
      }
      way.clear();  // closes what the plan did not take, under the lock
      work_.notify_all();
      continue;
    }
    if (!active_ || !plan_.HasTask() || plan_.Ahead() >= kWindow) {
      if (active_ && plan_.HasTask()) windowFull_ = true;
      ++resting_;
      work_.wait(lock);
      --resting_;
      continue;
    }
    if (!TakeDescriptor()) {
      // The walk or the other helpers hold the budget; some will be given back.
      work_.wait_for(lock, 1ms);
      continue;
    }
    AheadTask task = plan_.TakeTask();
    const uint64_t generation = generation_;
    const Tools tools{mounts_, filePattern_, &listing};
    lock.unlock();
    AheadFolderPtr folder = OpenAndList(task.parent, task.parentOpen->fd(), task.name, task.index, tools);
    bool looked = false;
    bool fromDisk = false;
    if (++sinceLooked == kLookEvery) {
      const uint64_t blocksNow = BlocksReadByThisThread();
      fromDisk = blocksNow != blocks;
      blocks = blocksNow;
      sinceLooked = 0;
      looked = true;
    }
    lock.lock();
    size_t found = 0;
    if (folder != nullptr && generation == generation_) {
      found = folder->subFolders.size();
      plan_.AddListed(folder);
    }
    if (looked && generation == generation_) Heard(fromDisk);
    folder.reset();
    task = AheadTask();
    // Wake a resting helper for each new sub-folder, beyond the one this
    // helper goes on with; waking them all each time would cost more than
    // the reading.
    for (size_t i = 1; i < found && i <= resting_; ++i) work_.notify_one();
  }
}

// The folders from the root of the walk down to `folder`, each listed afresh
// and opened the helpers' own way, with the sub-folders before the walk's
// way through each marked as passed. Stops early where the way cannot be
// followed.
std::vector<AheadFolderPtr> FolderReadAhead::SeedAt(const std::string& folder, const Tools& tools) {
  std::vector<AheadFolderPtr> way;
  if (folder.compare(0, root_.size(), root_) != 0 || !TakeDescriptor()) return way;
  const int fd = openat(rootFd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    GiveBackDescriptor();
    return way;
  }
  AheadFolderPtr at = ListOpened(fd, nullptr, 0, root_, tools);
  size_t pos = root_.size();
  while (at != nullptr) {
    way.push_back(at);
    const size_t slash = folder.find('/', pos);
    if (slash == std::string::npos) break;
    const std::string name = folder.substr(pos, slash - pos);
    pos = slash + 1;
    if (name.empty()) continue;
    size_t index = 0;
    while (index < at->subFolders.size() && at->subFolders[index] != name) ++index;
    if (index == at->subFolders.size() || !TakeDescriptor()) break;
    at->next = index + 1;
    at = OpenAndList(at, at->open->fd(), name, static_cast<uint32_t>(index), tools);
  }
  return way;
}

// Opens the sub-folder `name` of `parent` by the walk's rules and lists it;
// null where the walk would not enter it or it cannot be read. Uses the
// descriptor taken for it and keeps it in the folder it returns.
AheadFolderPtr FolderReadAhead::OpenAndList(const AheadFolderPtr& parent, int parentFd, const std::string& name,
                                            uint32_t index, const Tools& tools) {
  const std::string path = parent->path + name + "/";
  const bool enter = path.size() <= kLongestPath && WalkEnters(*parent, parentFd, name, *tools.mounts);
  const int fd = enter ? openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC) : -1;
  if (fd < 0) {
    GiveBackDescriptor();
    return nullptr;
  }
  return ListOpened(fd, parent, index, path, tools);
}

// Whether the walk enters the sub-folder `name` of `parent`, by the walk's
// own rule; the folders the helper is inside are `parent` and those above it.
bool FolderReadAhead::WalkEnters(const AheadFolder& parent, int parentFd, const std::string& name,
                                 const MountMap& mounts) const {
  if (!parent.holdsMounts) return true;
  const std::string absoluteParent = AbsolutePath(parent.path);
  const auto isInside = [&parent](const FolderIdentity& identity) {
    for (const AheadFolder* above = &parent; above != nullptr; above = above->parent.get()) {
      if (above->identity == identity) return true;
    }
    return false;
  };
  return !IsClosedFolder(mounts, parentFd, absoluteParent, name, isInside);
}

// Lists the folder open as `fd`, which it then holds.
AheadFolderPtr FolderReadAhead::ListOpened(int fd, const AheadFolderPtr& parent, uint32_t index,
                                           const std::string& path, const Tools& tools) {
  auto open = std::make_shared<HeldFolder>(fd, budget_, held_);
  FolderListing& listing = *tools.listing;
  struct stat st;
  if (listing.Read(fd, true) || fstat(fd, &st) != 0) return nullptr;
  auto folder = std::make_shared<AheadFolder>();
  folder->parent = parent;
  folder->index = index;
  folder->depth = parent != nullptr ? parent->depth + 1 : 0;
  folder->path = path;
  folder->identity = {st.st_dev, st.st_ino};
  folder->holdsMounts = tools.mounts->HoldsAny(AbsolutePath(path));
  for (size_t i = 0; i < listing.size(); ++i) {
    const std::string_view name = listing.Name(i);
    if (listing.Kind(i) == EntryKind::kFolder) {
      if (!IsDotOrDotDot(name)) folder->subFolders.emplace_back(name);
    } else if (tools.filePattern != nullptr && MatchesNamePattern(name, *tools.filePattern)) {
      // Brings the file's inode into the cache for the walk's length query;
      // whatever this finds, the walk asks again and answers for itself.
      struct stat file;
      static_cast<void>(fstatat(fd, std::string(name).c_str(), &file, AT_SYMLINK_NOFOLLOW));
    }
  }
  folder->open = std::move(open);
  folder->listing = listing.TightCopy();
  return folder;
}

// With the lock held, after one helper's last kLookEvery listings: when the
// helpers' own listings all come from the cache, the tree ahead is warm and they rest until the walk meets the disk
// again.
void FolderReadAhead::Heard(bool fromDisk) {
  cachedInARow_ = fromDisk ? 0 : cachedInARow_ + kLookEvery;
  if (mode_ == ReadAheadMode::kWhenCold && cachedInARow_ >= kCachedInARowToRest) {
    active_ = false;
    ++generation_;
    plan_.Clear();
  }
}

std::string FolderReadAhead::AbsolutePath(const std::string& folder) const {
  return absoluteRoot_.empty() ? folder : absoluteRoot_ + folder.substr(root_.size());
}

}  // namespace dustvane
