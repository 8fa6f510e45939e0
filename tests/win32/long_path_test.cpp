// Which paths get the long-path prefix, and in which form.

#include "search/win32/long_path.h"

#include <gtest/gtest.h>

namespace dustvane {
namespace {

PathString Repeat(const PathString& part, int times) {
  PathString out;
  for (int i = 0; i < times; ++i) out += part;
  return out;
}

TEST(LongPathTest, PathsWithinTheClassicLimitAreHandedOverUnchanged) {
  EXPECT_EQ(ApiPath(L"C:\\"), L"C:\\");
  EXPECT_EQ(ApiPath(L""), L"");
  const PathString longest = L"C:" + Repeat(L"\\abcd", 49);  // 247 characters
  ASSERT_EQ(longest.size(), 247u);
  EXPECT_EQ(ApiPath(longest), longest);
  EXPECT_EQ(ApiPath(L"C:/a/b.tmp"), L"C:/a/b.tmp");
}

TEST(LongPathTest, LongPathsGetThePrefixAndBackslashesOnly) {
  const PathString tail = Repeat(L"\\abcdefghij", 30);
  EXPECT_EQ(ApiPath(L"C:" + tail + L"\\*"), L"\\\\?\\C:" + tail + L"\\*");
  EXPECT_EQ(ApiPath(L"d:/x" + tail), L"\\\\?\\d:\\x" + tail);
  EXPECT_EQ(ApiPath(L"\\\\server\\share" + tail), L"\\\\?\\UNC\\server\\share" + tail);
  EXPECT_EQ(ApiPath(L"//server/share" + tail), L"\\\\?\\UNC\\server\\share" + tail);
}

TEST(LongPathTest, LongPathsThatCannotTakeThePrefixAreLeftToTheApi) {
  const PathString tail = Repeat(L"\\abcdefghij", 30);
  const PathString prefixed = L"\\\\?\\C:" + tail;
  EXPECT_EQ(ApiPath(prefixed), prefixed);
  const PathString device = L"\\\\.\\C:" + tail;
  EXPECT_EQ(ApiPath(device), device);
  const PathString relative = L"sub" + tail;
  EXPECT_EQ(ApiPath(relative), relative);
  const PathString driveRelative = L"C:sub" + tail;
  EXPECT_EQ(ApiPath(driveRelative), driveRelative);
}

}  // namespace
}  // namespace dustvane
