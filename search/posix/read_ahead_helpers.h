#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "search/posix/folder_record.h"
#include "search/posix/mount_map.h"
#include "search/posix/read_ahead_plan.h"

namespace dustvane {

enum class ReadAheadMode {
  kOff,       // the walk reads every folder itself
  kWhenCold,  // helpers start when the walk's own thread reads from a disk, and rest once the cache serves them
  kAlways,    // helpers run from the start of every walk, whatever the cache holds
};

// Where the helpers start following the walk: an open folder of the walk's
// chain, the names that lead from it down to where the walk is, and the
// folders above it that the walk is inside too.
struct AheadSeed {
  std::shared_ptr<HeldFolder> from;
  std::string path;        // `from` from the system's root, ending in "/"
  bool kernelRecords = false;  // its file system's records are the kernel's own, no cached copies
  std::vector<std::string> names;
  std::vector<FolderIdentity> above;
};

// What one walk's read-ahead shares between the walk and its helpers. The
// helpers hold it too, so that one kept waiting by a file system that does
// not answer can outlive the walk, and the layer itself, safely: when its
// call returns, it finds the read-ahead stopped and lets go of everything.
struct ReadAheadShared {
  ReadAheadShared(ReadAheadMode mode, std::shared_ptr<const MountMap> mounts,
                  std::shared_ptr<HelperDescriptors> descriptors, size_t helpers)
      : mode(mode), mounts(std::move(mounts)), descriptors(std::move(descriptors)), finished(helpers, false) {}

  const ReadAheadMode mode;
  const std::shared_ptr<const MountMap> mounts;
  const std::shared_ptr<HelperDescriptors> descriptors;

  std::mutex mutex;
  std::condition_variable work;     // helpers wait here for something to do
  std::condition_variable stopped;  // the walk waits here for helpers to finish
  std::atomic<bool> active{false};  // read without the lock by the walk
  // Guarded by mutex:
  bool stop = false;
  uint64_t generation = 0;  // raised whenever the plan starts afresh
  std::optional<AheadSeed> seed;
  std::shared_ptr<const std::vector<FolderIdentity>> above;  // the seed's, for the helpers' loop check
  std::shared_ptr<const std::string> filePattern;
  ReadAheadPlan plan;
  size_t cachedInARow = 0;
  size_t resting = 0;        // helpers waiting for work
  bool windowFull = false;   // some of them wait for the walk to move the window on
  std::vector<bool> finished;  // by helper
};

// How far the helpers may run ahead of the walk, in folders listed that the
// walk has not reached yet. Enough to keep every helper busy with a disk
// request while the walk catches up, small enough that a search cut short
// has read little in vain.
inline constexpr size_t kAheadWindow = 1024;
// How far the walk moves into a full window before the helpers go on.
inline constexpr size_t kAheadRefill = kAheadWindow / 4;
// How often the walk looks whether its own reads went to the disk while the
// helpers rest, and a helper whether its own did, in folders: often enough
// to start or rest them within a few folders of a change, rarely enough to
// cost nothing.
inline constexpr unsigned kLookEvery = 16;

// Blocks the calling thread has had read from a disk so far. It counts
// requests the thread itself sent, never those it only waited on, and a
// folder read from the cache sends none.
uint64_t BlocksReadByThisThread();

// Runs helper number `slot` until the read-ahead stops.
void RunHelper(std::shared_ptr<ReadAheadShared> shared, size_t slot);

}  // namespace dustvane
