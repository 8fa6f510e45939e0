#pragma once

#include <cstddef>

#include "search/posix/descriptor.h"

namespace dustvane {

// How many descriptors a walk may hold at once, sized from the open-files
// limit, and how many it holds: those of the folders it is inside, and the
// read-ahead's anchors. Helpers reading ahead hold one or two each for a
// moment, out of what the budget leaves the process.
class DescriptorBudget {
 public:
  // A new walk: the budget sized from the limit now, nothing held.
  void Begin();
  // Counts one more descriptor where the budget allows.
  bool TryTake();
  // Counts one more whatever the budget says: the fewest a walk works with.
  void TakeAnyway() { ++open_; }
  void GiveBack() { --open_; }

  // Closes `fd` and gives its count back.
  void Release(Descriptor& fd);

 private:
  size_t limit_ = 3;
  size_t open_ = 0;
};

}  // namespace dustvane
