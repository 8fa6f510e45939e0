#include "search/posix/descriptor_budget.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

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

void DescriptorBudget::Begin() {
  struct rlimit limit;
  const bool known = getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY;
  const size_t open = std::min(kMostUseful * 2 + kKeptForTheProgram, known ? limit.rlim_cur : SIZE_MAX);
  // Half of what is left, so that the program can still open files itself,
  // and helpers reading ahead their one or two each.
  limit_ = std::clamp(open > kKeptForTheProgram ? (open - kKeptForTheProgram) / 2 : 0, kFewest, kMostUseful);
  open_ = 0;
}

bool DescriptorBudget::TryTake() {
  if (open_ >= limit_) return false;
  ++open_;
  return true;
}

void DescriptorBudget::Release(Descriptor& fd) {
  if (!fd.open()) return;
  fd.reset();
  GiveBack();
}

}  // namespace dustvane
