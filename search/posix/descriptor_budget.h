#pragma once

#include <atomic>
#include <cstddef>

namespace dustvane {

// The number of folder descriptors a walk may hold at once, and how many it
// holds. One object per file-system layer, so that everything that opens
// folders for a walk counts against the same limit.
class DescriptorBudget {
 public:
  // Sizes the budget from the process's open-files limit as it is now.
  void Resize();

  size_t Limit() const { return limit_; }
  // Whether one more descriptor may be opened; if so it is counted.
  bool TryTake();
  // Counts a descriptor that must be opened whatever the budget says.
  void Take() { inUse_.fetch_add(1, std::memory_order_relaxed); }
  void GiveBack() { inUse_.fetch_sub(1, std::memory_order_relaxed); }

 private:
  size_t limit_ = 2;
  std::atomic<size_t> inUse_{0};
};

}  // namespace dustvane
