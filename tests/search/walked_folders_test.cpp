// Delete's record of the folders a search walked, over a made-up mark.

#include <gtest/gtest.h>

#include "search/walked_folders.h"

namespace dustvane {
namespace {

using Walked = WalkedFolders<int>;

// The root, then "a" with "b" below it, each marked with its own number.
Walked RootAB() {
  Walked walked;
  walked.Begin(DV_PATH("R") + PathString(1, kSeparator));
  const uint32_t root = walked.Add(Walked::kNone, PathView(), 1);
  const uint32_t a = walked.Add(root, DV_PATH("a"), 2);
  walked.Add(a, DV_PATH("b"), 3);
  return walked;
}

PathString Folder(std::initializer_list<const PathChar*> names) {
  PathString path = DV_PATH("R") + PathString(1, kSeparator);
  for (const PathChar* name : names) path += name + PathString(1, kSeparator);
  return path;
}

TEST(WalkedFolders, LeadsFromTheRootThroughTheNotedFoldersOnly) {
  const Walked walked = RootAB();
  const PathString ab = Folder({DV_PATH("a"), DV_PATH("b")});
  const auto way = walked.WayTo(ab);
  ASSERT_TRUE(way.has_value());
  ASSERT_EQ(way->size(), 3u);
  EXPECT_EQ((*way)[0].name, walked.Root());
  EXPECT_EQ((*way)[2].name, PathView(DV_PATH("b")));
  EXPECT_EQ((*way)[2].mark, 3);
  EXPECT_TRUE(walked.WayTo(Folder({})).has_value());
  EXPECT_FALSE(walked.WayTo(Folder({DV_PATH("b")})).has_value());  // not inside the root
  EXPECT_FALSE(walked.WayTo(Folder({DV_PATH("a"), DV_PATH("c")})).has_value());
  EXPECT_FALSE(walked.WayTo(DV_PATH("S") + PathString(1, kSeparator)).has_value());  // another root
  // A doubled separator leads nowhere: no name is empty.
  EXPECT_FALSE(walked.WayTo(Folder({DV_PATH("a")}) + kSeparator).has_value());
  EXPECT_FALSE(Walked().WayTo(Folder({})).has_value());  // nothing noted
}

TEST(WalkedFolders, AFolderNotedTwiceKeepsItsFirstMark) {
  Walked walked = RootAB();
  const uint32_t root = walked.WayTo(Folder({}))->back().at;
  const uint32_t again = walked.Add(root, DV_PATH("a"), 20);
  EXPECT_EQ(walked.MarkAt(again), 2);
  EXPECT_EQ(walked.WayTo(Folder({DV_PATH("a")}))->back().mark, 2);
  walked.Begin(walked.Root());
  EXPECT_FALSE(walked.WayTo(Folder({})).has_value());
}

}  // namespace
}  // namespace dustvane
