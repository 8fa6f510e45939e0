#pragma once

#include <algorithm>
#include <cstddef>

#include "search/path_string.h"

namespace dustvane {

// How many levels of a walk's chain of open folders lead to `path`: those
// whose paths it begins with. `chainPath` is the innermost level's path, and
// `endOf(level)` the length of that level's path in it, from the outermost
// level down, each longer than the one above.
template <class EndOf>
size_t LevelsLeadingTo(PathView chainPath, size_t levels, EndOf endOf, PathView path) {
  const size_t common = static_cast<size_t>(
      std::mismatch(chainPath.begin(), chainPath.end(), path.begin(), path.end()).first - chainPath.begin());
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

// Where a path lies against a walk's chain of open folders: the levels that
// lead to it, the folders the walk enters below the deepest of them to reach
// it (their names, each followed by the separator), and the name at its end
// (empty for a folder path, which ends in the separator). Both are views
// into the path, and the leaf is its tail: it ends where the path ends.
struct WalkPlace {
  size_t levels = 0;
  PathView below;
  PathView leaf;
  // Whether the path is that of an entry of the innermost of `depth` levels.
  bool InInnermost(size_t depth) const { return depth > 0 && levels == depth && below.empty(); }
};

template <class EndOf>
WalkPlace LocateInWalk(PathView chainPath, size_t levels, EndOf endOf, PathView path) {
  WalkPlace place;
  place.levels = LevelsLeadingTo(chainPath, levels, endOf, path);
  const size_t from = place.levels == 0 ? 0 : endOf(place.levels - 1);
  const size_t lastSeparator = path.rfind(kSeparator);
  const size_t leafAt = std::max(from, lastSeparator == PathView::npos ? 0 : lastSeparator + 1);
  place.below = path.substr(from, leafAt - from);
  place.leaf = path.substr(leafAt);
  return place;
}

// Takes the next folder name off the front of `below` (names each followed
// by the separator): empty where the separator is doubled.
inline PathView TakeFolderName(PathView& below) {
  const size_t end = below.find(kSeparator);
  const PathView name = below.substr(0, end);
  below.remove_prefix(end == PathView::npos ? below.size() : end + 1);
  return name;
}

}  // namespace dustvane
