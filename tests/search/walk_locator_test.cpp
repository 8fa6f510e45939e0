// Where a path lies against a chain of open folders, on each platform's
// separator.

#include <gtest/gtest.h>

#include <vector>

#include "search/walk_locator.h"

namespace dustvane {
namespace {

// `text` with every "/" as the platform's separator.
PathString P(const char* text) {
  PathString path;
  for (; *text != '\0'; ++text) path += *text == '/' ? kSeparator : static_cast<PathChar>(*text);
  return path;
}

TEST(WalkLocator, KeepsTheLevelsThatLeadToAPathAndNamesTheRest) {
  // A chain of "R/", "R/ab/" and "R/ab/c/".
  const PathString chain = P("R/ab/c/");
  const std::vector<size_t> ends{2, 5, 7};
  const auto locate = [&](const PathString& path) {
    return LocateInWalk(chain, ends.size(), [&](size_t level) { return ends[level]; }, path);
  };
  struct Case {
    const char* path;
    size_t levels;
    const char* below;
    const char* leaf;
  } const cases[] = {
      {"R/ab/c/x.tmp", 3, "", "x.tmp"},  // an entry of the innermost level
      {"R/ab/c/", 3, "", ""},
      {"R/ab/d/e/", 2, "d/e/", ""},      // a path beside the chain
      {"R/a/x", 1, "a/", "x"},           // "a" only begins the level "ab"
      {"R/ab//d/", 2, "/d/", ""},        // a doubled separator is a name of its own
      {"S/x", 0, "S/", "x"},             // outside the root
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const PathString path = P(c.path);
    const WalkPlace place = locate(path);
    EXPECT_EQ(place.levels, c.levels);
    EXPECT_EQ(PathString(place.below), P(c.below));
    EXPECT_EQ(PathString(place.leaf), P(c.leaf));
    EXPECT_EQ(place.InInnermost(ends.size()), c.levels == 3 && *c.below == '\0');
  }
  const PathString folders = P("d//e/");
  PathView below = folders;
  std::vector<PathString> names;
  while (!below.empty()) names.emplace_back(TakeFolderName(below));
  EXPECT_EQ(names, (std::vector<PathString>{P("d"), PathString(), P("e")}));
}

}  // namespace
}  // namespace dustvane
