// Failures carry the Windows error number and the system's own text, as UTF-8.

#include "search/win32/win32_failure.h"
#include "search/win32/wide_text.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace dustvane {
namespace {

std::wstring SystemText(DWORD error) {
  wchar_t buffer[512];
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                      0, buffer, 512, nullptr);
  return std::wstring(buffer, length);
}

TEST(Win32FailureTest, CarriesTheNumberAndTheSystemTextWithoutItsLineBreak) {
  for (DWORD error : {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION}) {
    const Failure failure = Win32Failure(error);
    EXPECT_EQ(failure.number, static_cast<int32_t>(error));
    std::wstring text = SystemText(error);
    ASSERT_FALSE(text.empty()) << error;
    ASSERT_EQ(text.back(), L'\n') << "the message table ends its texts with a line break";
    while (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ') text.pop_back();
    EXPECT_EQ(failure.description, Utf8FromWide(text));
    EXPECT_NE(failure.description.back(), '\n');
    EXPECT_NE(failure.description.back(), '\r');
  }
}

TEST(Win32FailureTest, AnErrorWithoutSystemTextStillHasADescription) {
  const Failure failure = Win32Failure(0x2000'FFFFu);
  EXPECT_EQ(failure.number, 0x2000'FFFF);
  EXPECT_EQ(failure.description, "Unknown error");
}

TEST(WideTextTest, Utf8FromWideEncodesEveryPlaneAndReplacesLoneSurrogates) {
  EXPECT_EQ(Utf8FromWide(L""), "");
  EXPECT_EQ(Utf8FromWide(L"Path"), "Path");
  EXPECT_EQ(Utf8FromWide(L"\u00e9\u20ac"), "\xc3\xa9\xe2\x82\xac");
  EXPECT_EQ(Utf8FromWide(std::wstring{0xD83D, 0xDE00}), "\xf0\x9f\x98\x80");
  EXPECT_EQ(Utf8FromWide(std::wstring{L'a', 0xD800, L'b'}), "a\xef\xbf\xbd" "b");
}

}  // namespace
}  // namespace dustvane
