#pragma once

#include <cstddef>
#include <functional>

#include "search/posix/descriptor.h"

namespace dustvane {

// How many descriptors a walk may hold at once, sized from the open-files
// limit, and how many it holds: those of its folders, and those taken for
// the answers of requests ahead of it.
class DescriptorBudget {
 public:
  // Hands `fd` to someone who closes it later; false where they cannot take
  // it, `most` waiting to be closed at most.
  using CloseLater = std::function<bool(int fd, size_t most)>;

  // A new walk: the budget sized from the limit now, nothing held.
  void Begin();
  // Counts one more descriptor when that leaves `spare` of the budget free.
  bool TryTake(size_t spare = 0);
  // Counts one more whatever the budget says: the fewest a walk works with.
  void TakeAnyway() { ++open_; }
  void GiveBack() { --open_; }
  // What of the budget stays the chain's: a quarter, and the fewest it needs.
  size_t ChainsShare() const { return limit_ / 4 + 2; }
  // Whether a request ahead of the walk may take one, the chain's share kept.
  bool TryTakeAhead() { return TryTake(ChainsShare()); }
  bool RoomAhead() const { return open_ + ChainsShare() < limit_; }

  // Closes `fd` and gives its count back: through `closeLater` where it
  // takes it, so that the walk does not wait for the close. Those waiting to
  // be closed stay within what the budget leaves the process beside it.
  void Release(Descriptor& fd);
  void CloseThrough(CloseLater closeLater) { closeLater_ = std::move(closeLater); }

 private:
  size_t limit_ = 3;
  size_t open_ = 0;
  CloseLater closeLater_;
};

}  // namespace dustvane
