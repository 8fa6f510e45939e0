#pragma once

#include <algorithm>
#include <cstddef>

#include "search/path_string.h"

namespace dustvane {

// How many levels of a walk's chain of open folders lead to `folder`: those
// whose paths `folder` begins with. `chainPath` is the innermost level's
// path, and `endOf(level)` the length of that level's path in it, from the
// outermost level down, each longer than the one above. Below the last of
// them, the walk enters `folder` name by name.
template <class EndOf>
size_t LevelsLeadingTo(PathView chainPath, size_t levels, EndOf endOf, PathView folder) {
  const size_t common = static_cast<size_t>(
      std::mismatch(chainPath.begin(), chainPath.end(), folder.begin(), folder.end()).first - chainPath.begin());
  size_t low = 0;
  for (size_t high = levels; low < high;) {
    const size_t middle = low + (high - low) / 2;
    if (endOf(middle) <= common) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

}  // namespace dustvane
