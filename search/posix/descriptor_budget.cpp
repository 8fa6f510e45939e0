#include "search/posix/descriptor_budget.h"

#include <sys/resource.h>

#include <algorithm>

namespace dustvane {

namespace {

// What the rest of the program may need open while a walk runs: the standard
// streams, the window system's connection, a file being removed.
constexpr size_t kKeptForTheProgram = 10;
// Past this, more open folders save nothing worth having: a reopen costs one
// openat per level and happens at most once per this many levels.
constexpr size_t kMostUseful = 256;
// The root of the walk, which stays open, a folder and the one opened in it.
constexpr size_t kFewest = 3;

}  // namespace

void DescriptorBudget::Resize() {
  struct rlimit limit;
  size_t open = kMostUseful * 2 + kKeptForTheProgram;
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < open) {
    open = static_cast<size_t>(limit.rlim_cur);
  }
  // Half of what is left, so that the program can still open files itself.
  limit_ = std::clamp(open > kKeptForTheProgram ? (open - kKeptForTheProgram) / 2 : 0, kFewest, kMostUseful);
}

bool DescriptorBudget::TryTake() {
  size_t now = inUse_.load(std::memory_order_relaxed);
  while (now < limit_) {
    if (inUse_.compare_exchange_weak(now, now + 1, std::memory_order_relaxed)) return true;
  }
  return false;
}

}  // namespace dustvane
