#include "search/posix/read_ahead_helpers.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string_view>

#include "search/name_pattern.h"
#include "search/posix/folder_listing.h"
#include "search/posix/folder_opener.h"
#include "search/posix/mount_table.h"

namespace dustvane {

namespace {

using namespace std::chrono_literals;

// This many helper listings in a row served from the cache, and the helpers
// rest until the walk meets the disk again.
constexpr size_t kCachedInARowToRest = 256;
// What a helper keeps of one folder while it reads it: past this, the
// entries are left to the walk (which reads the folder again, from the
// cache), and the sub-folders past this to the walk alone. So a helper's
// memory stays the same whatever the size of the folders.
constexpr size_t kMostEntryBytesAFolder = 64 << 10;
constexpr size_t kMostNameBytesAFolder = 64 << 10;

bool IsDotOrDotDot(std::string_view name) { return name == "." || name == ".."; }

// A folder's path from the system's root, ending in "/", as the mount table
// writes paths: where the helpers began, then the names down to it.
std::string PathOf(const AheadFolder& folder) {
  std::vector<const AheadFolder*> down;
  const AheadFolder* at = &folder;
  for (; at->parent != nullptr; at = at->parent.get()) down.push_back(at);
  std::string path = at->seedPath;
  for (auto it = down.rbegin(); it != down.rend(); ++it) path.append((*it)->name).push_back('/');
  return path;
}

// What a helper works with, copied under the lock.
struct Tools {
  std::shared_ptr<const std::string> filePattern;
  std::shared_ptr<const std::vector<FolderIdentity>> above;
  uint64_t generation = 0;
};

// A folder a helper has read: the plan's folder, and its entries where they
// may be kept for the walk.
struct Listed {
  AheadFolderPtr folder;
  const FolderListing* entries = nullptr;
};

class Helper {
 public:
  Helper(std::shared_ptr<ReadAheadShared> shared, size_t slot)
      : shared_(std::move(shared)), slot_(slot), blocks_(BlocksReadByThisThread()) {}

  void Run() {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    while (!shared_->stop) {
      if (shared_->seed) {
        Seed(lock);
      } else if (!shared_->active || !shared_->plan.HasTask() || shared_->plan.Ahead() >= kAheadWindow) {
        Rest(lock);
      } else if (!shared_->descriptors->Take()) {
        // The walk or the other helpers hold the budget; some will be given back.
        shared_->work.wait_for(lock, 1ms);
      } else {
        Work(lock);
      }
    }
    shared_->finished[slot_] = true;
    shared_->stopped.notify_all();
  }

 private:
  using Lock = std::unique_lock<std::mutex>;

  Tools ToolsNow() const { return {shared_->filePattern, shared_->above, shared_->generation}; }
  bool Current(const Tools& tools) const { return !shared_->stop && tools.generation == shared_->generation; }

  void Rest(Lock& lock) {
    if (shared_->active && shared_->plan.HasTask()) shared_->windowFull = true;
    ++shared_->resting;
    shared_->work.wait(lock);
    --shared_->resting;
  }

  // Lists the folder of the next task, by the walk's rules, and hands it to
  // the plan.
  void Work(Lock& lock) {
    AheadTask task = shared_->plan.TakeTask();
    const Tools tools = ToolsNow();
    lock.unlock();
    Listed listed = OpenAndList(task, tools, std::string_view());
    bool fromDisk = false;
    const bool looked = LookedAtOwnReads(fromDisk);
    lock.lock();
    size_t found = 0;
    if (listed.folder != nullptr && Current(tools)) {
      found = listed.folder->subFolders.size();
      shared_->plan.AddListed(listed.folder, listed.entries);
    }
    if (looked && Current(tools)) Heard(fromDisk);
    // Closes what the plan did not take, under the lock the plan is kept with.
    listed.folder.reset();
    task = AheadTask();
    // Wake a resting helper for each new sub-folder, beyond the one this
    // helper goes on with; waking them all each time would cost more than
    // the reading.
    for (size_t i = 1; i < found && i <= shared_->resting; ++i) shared_->work.notify_one();
  }

  // Follows the walk from where the seed says, and hands the folders on the
  // way to the plan.
  void Seed(Lock& lock) {
    AheadSeed seed = std::move(*shared_->seed);
    shared_->seed.reset();
    const Tools tools = ToolsNow();
    lock.unlock();
    std::vector<AheadFolderPtr> way = FollowSeed(seed, tools);
    lock.lock();
    if (Current(tools)) {
      for (const AheadFolderPtr& folder : way) shared_->plan.AddPassed(folder);
    }
    way.clear();
    seed = AheadSeed();
    shared_->work.notify_all();
  }

  // The folders from the seed's folder down to the walk's, each listed
  // afresh and opened the helpers' own way, with the sub-folders before the
  // walk's way through each left out. Stops early where the way cannot be
  // followed.
  std::vector<AheadFolderPtr> FollowSeed(const AheadSeed& seed, const Tools& tools) {
    std::vector<AheadFolderPtr> way;
    if (!shared_->descriptors->Take()) return way;
    Result<int> fd = OpenFolderAgain(seed.from->fd());
    if (!fd.ok()) {
      shared_->descriptors->GiveBack();
      return way;
    }
    auto open = std::make_shared<HeldFolder>(fd.value(), shared_->descriptors);
    std::string_view along = seed.names.empty() ? std::string_view() : seed.names[0];
    AheadFolderPtr at = List(std::move(open), AheadTask{}, seed.path, seed.kernelRecords, tools, along).folder;
    for (size_t i = 0; at != nullptr; ++i) {
      way.push_back(at);
      if (i == seed.names.size() || at->subFolders.empty() || !shared_->descriptors->Take()) break;
      // The walk's way is the first sub-folder kept; the helpers read those after it.
      FolderListing::Entry entry;
      at->subFolders.Next(at->nextAt, entry);
      at->next = 1;
      along = i + 1 < seed.names.size() ? std::string_view(seed.names[i + 1]) : std::string_view();
      at = OpenAndList(AheadTask{at, at->open, seed.names[i], 0}, tools, along).folder;
    }
    return way;
  }

  // Opens the task's sub-folder by the walk's rules and lists it; nothing
  // where the walk would not enter it or it cannot be read. Uses the
  // descriptor taken for it and keeps it in the folder it returns.
  Listed OpenAndList(const AheadTask& task, const Tools& tools, std::string_view along) {
    const std::function<bool(const FolderIdentity&)> isInside = [&](const FolderIdentity& identity) {
      for (const AheadFolder* above = task.parent.get(); above != nullptr; above = above->parent.get()) {
        if (above->record.identity == identity) return true;
      }
      return tools.above != nullptr && std::find(tools.above->begin(), tools.above->end(), identity) != tools.above->end();
    };
    Result<WalkOpened> opened =
        OpenSubFolderByWalkRules(task.parentOpen->fd(), task.name, WalkRules{*shared_->mounts, isInside});
    if (!opened.ok() || opened.value().fd < 0) {
      shared_->descriptors->GiveBack();
      return Listed();
    }
    const bool kernelRecords =
        opened.value().crossed ? !RecordsMayBeCached(opened.value().magic) : task.parent->kernelRecords;
    return List(std::make_shared<HeldFolder>(opened.value().fd, shared_->descriptors), task,
                PathOf(*task.parent) + task.name + "/", kernelRecords, tools, along);
  }

  // Lists the folder held by `open`, the sub-folder of the task. Its record
  // is read before its entries, so that the walk can tell whether they are
  // still the folder's. With `along`, only the sub-folders from that one on
  // are kept.
  Listed List(std::shared_ptr<HeldFolder> open, const AheadTask& task, const std::string& path, bool kernelRecords,
              const Tools& tools, std::string_view along) {
    Result<FolderRecord> record = ReadRecord(open->fd());
    if (!record.ok()) return Listed();
    // Entries read where a record may be a cached copy, or from a folder
    // that may still change within the same change time, prove nothing:
    // they are not kept for the walk.
    const FolderState& state = record.value().state;
    bool entriesWhole = kernelRecords && !MayChangeUnseen(state, FileSystemClockNow(), KeepsFineTimes(state));
    bool collecting = along.empty();
    // A sub-folder the walk's listing shows as closed by the mount table (a
    // system file system, an automount point, a network mount) is never
    // opened: opening it could set off the automount, or wait on the network.
    const MountMap& mounts = *shared_->mounts;
    const bool holdsMounts = mounts.HoldsAny(path);
    entries_.Clear();
    names_.Clear();
    const int fd = open->fd();
    const auto take = [&](std::string_view name, EntryKind kind) {
      if (entriesWhole && entries_.UsedBytes() + name.size() > kMostEntryBytesAFolder) {
        entriesWhole = false;
        entries_.Clear();
      }
      if (entriesWhole) entries_.Add(name, kind);
      if (kind == EntryKind::kFolder) {
        if (IsDotOrDotDot(name)) return;
        if (holdsMounts && mounts.At(path + std::string(name) + "/") == MountAt::kSystem) return;
        collecting = collecting || name == along;
        if (collecting && names_.UsedBytes() + name.size() <= kMostNameBytesAFolder) names_.Add(name, kind);
      } else if (tools.filePattern != nullptr && MatchesNamePattern(name, *tools.filePattern)) {
        // Brings the file's inode into the cache for the walk's length query;
        // whatever this finds, the walk asks again and answers for itself.
        struct stat st;
        static_cast<void>(fstatat(fd, std::string(name).c_str(), &st, AT_SYMLINK_NOFOLLOW));
      }
    };
    if (reader_.ReadAll(fd, true, take)) return Listed();
    auto folder = std::make_shared<AheadFolder>();
    folder->parent = task.parent;
    folder->index = task.index;
    folder->depth = task.parent != nullptr ? task.parent->depth + 1 : 0;
    folder->name = task.name;
    if (task.parent == nullptr) folder->seedPath = path;
    folder->record = record.value();
    folder->kernelRecords = kernelRecords;
    folder->subFolders = names_.CompactCopy();
    folder->open = std::move(open);
    return Listed{std::move(folder), entriesWhole ? &entries_ : nullptr};
  }

  // Every kLookEvery listings, whether the helper's own reads went to a disk.
  bool LookedAtOwnReads(bool& fromDisk) {
    if (++sinceLooked_ < kLookEvery) return false;
    const uint64_t blocksNow = BlocksReadByThisThread();
    fromDisk = blocksNow != blocks_;
    blocks_ = blocksNow;
    sinceLooked_ = 0;
    return true;
  }

  // With the lock held: when the helpers' own listings all come from the
  // cache, the tree ahead is warm and they rest until the walk meets the
  // disk again.
  void Heard(bool fromDisk) {
    shared_->cachedInARow = fromDisk ? 0 : shared_->cachedInARow + kLookEvery;
    if (shared_->mode == ReadAheadMode::kWhenCold && shared_->cachedInARow >= kCachedInARowToRest) {
      shared_->active = false;
      ++shared_->generation;
      shared_->plan.Clear();
    }
  }

  std::shared_ptr<ReadAheadShared> shared_;
  size_t slot_;
  FolderReader reader_;
  // The folder being read: its entries and its sub-folders.
  FolderListing entries_;
  FolderListing names_;
  uint64_t blocks_;
  unsigned sinceLooked_ = 0;
};

}  // namespace

uint64_t BlocksReadByThisThread() {
  struct rusage usage;
#ifdef RUSAGE_THREAD
  if (getrusage(RUSAGE_THREAD, &usage) != 0) return 0;
#else
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
#endif
  return static_cast<uint64_t>(usage.ru_inblock);
}

void RunHelper(std::shared_ptr<ReadAheadShared> shared, size_t slot) { Helper(std::move(shared), slot).Run(); }

}  // namespace dustvane
