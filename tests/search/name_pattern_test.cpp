#include "search/name_pattern.h"

#include <gtest/gtest.h>

namespace dustvane {
namespace {

bool Matches(const PathString& name, const PathString& pattern) { return MatchesNamePattern(name, pattern); }

TEST(NamePatternTest, StarMatchesAnyRunIncludingDotsAndNothing) {
  EXPECT_TRUE(Matches(DV_PATH(".tmp"), DV_PATH("*.tmp")));
  EXPECT_TRUE(Matches(DV_PATH("a.b.c.tmp"), DV_PATH("*.tmp")));
  EXPECT_TRUE(Matches(DV_PATH("anything"), DV_PATH("*")));
  EXPECT_TRUE(Matches(DV_PATH(""), DV_PATH("*")));
  EXPECT_TRUE(Matches(DV_PATH("a.tmp.tmp"), DV_PATH("*.tmp")));
  EXPECT_TRUE(Matches(DV_PATH("abcabd"), DV_PATH("*abd")));  // needs a backtrack
  EXPECT_TRUE(Matches(DV_PATH("x.tmp"), DV_PATH("**.tmp")));
  EXPECT_TRUE(Matches(DV_PATH("pre-mid-post"), DV_PATH("pre*mid*post")));
}

TEST(NamePatternTest, EverythingElseMustMatchExactlyUpToAsciiCase) {
  EXPECT_TRUE(Matches(DV_PATH("X.TMP"), DV_PATH("*.tmp")));
  EXPECT_TRUE(Matches(DV_PATH("x.TmP"), DV_PATH("*.tmp")));
  EXPECT_FALSE(Matches(DV_PATH("x.tmpl"), DV_PATH("*.tmp")));
  EXPECT_FALSE(Matches(DV_PATH("x.temp"), DV_PATH("*.tmp")));
  EXPECT_FALSE(Matches(DV_PATH("tmp"), DV_PATH("*.tmp")));
  EXPECT_FALSE(Matches(DV_PATH("x_tmp"), DV_PATH("*.tmp")));
  EXPECT_FALSE(Matches(DV_PATH("xtmp"), DV_PATH("?tmp")));  // "?" is an ordinary character
  EXPECT_TRUE(Matches(DV_PATH("?tmp"), DV_PATH("?tmp")));
}

TEST(NamePatternTest, NonAsciiUnitsAreComparedAsThemselves) {
  PathString name = DV_PATH("x.tmp");
  name[0] = static_cast<PathChar>(0xC9);  // a lone byte (or code unit) that is not a letter here
  EXPECT_TRUE(Matches(name, DV_PATH("*.tmp")));
  PathString upper = name;
  upper[0] = static_cast<PathChar>(0xE9);
  EXPECT_FALSE(Matches(upper, name));
}

}  // namespace
}  // namespace dustvane
