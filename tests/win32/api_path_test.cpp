// The exact form every path takes to the API, and the one clean-up of a
// search's root.

#include "search/win32/api_path.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace dustvane {
namespace {

TEST(ApiPathTest, DrivePathsAndSharesGetThePrefixWithEveryNameAsItIs) {
  const struct {
    const wchar_t* path;
    const wchar_t* exact;
  } cases[] = {
      {L"C:\\", L"\\\\?\\C:\\"},
      {L"T:\\d.\\a.tmp", L"\\\\?\\T:\\d.\\a.tmp"},
      {L"t:\\s \\CON.tmp", L"\\\\?\\t:\\s \\CON.tmp"},
      {L"C:\\x\\*", L"\\\\?\\C:\\x\\*"},
      {L"\\\\server\\share\\e.\\nul.tmp", L"\\\\?\\UNC\\server\\share\\e.\\nul.tmp"},
      {L"\\\\?\\C:\\d.\\a.tmp", L"\\\\?\\C:\\d.\\a.tmp"},
      {L"\\\\?\\UNC\\server\\share\\a.tmp", L"\\\\?\\UNC\\server\\share\\a.tmp"},
  };
  for (const auto& c : cases) {
    const Result<PathString> exact = ApiPath(c.path);
    ASSERT_TRUE(exact.ok()) << testing::PrintToString(std::wstring(c.path));
    EXPECT_EQ(exact.value(), c.exact);
  }
}

// The API would resolve these against the current folder or rewrite them.
TEST(ApiPathTest, PathsWithNoExactFormAreRefused) {
  for (const wchar_t* path : {L"a.tmp", L"sub\\a.tmp", L"C:a.tmp", L"\\a.tmp", L"C:/a/b.tmp", L"//server/share/a",
                              L"\\\\.\\C:\\a.tmp"}) {
    const Result<PathString> exact = ApiPath(path);
    ASSERT_FALSE(exact.ok()) << testing::PrintToString(std::wstring(path));
    EXPECT_EQ(exact.failure().number, ERROR_BAD_PATHNAME);
  }
  EXPECT_EQ(ApiPath(L"").failure().number, ERROR_PATH_NOT_FOUND);
}

// A relative root is searched in win32_search_test.
TEST(ApiPathTest, ARootIsMadeFullOnceAndAnExactOneKept) {
  EXPECT_EQ(FullRoot(L"C:\\").value(), L"C:\\");
  EXPECT_EQ(FullRoot(L"C:/x/../y/").value(), L"C:\\y\\");
  EXPECT_EQ(FullRoot(L"\\\\.\\C:\\x\\..\\y\\").value(), L"\\\\?\\C:\\y\\");
  EXPECT_EQ(FullRoot(L"\\\\?\\C:\\d.\\..\\").value(), L"\\\\?\\C:\\d.\\..\\") << "already exact";
  EXPECT_FALSE(FullRoot(L"").ok());
}

}  // namespace
}  // namespace dustvane
