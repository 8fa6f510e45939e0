// What the windows show besides the controls' states: paths as text, the
// count and size summary, and the drive that Drive1 starts on.

#include <gtest/gtest.h>

#include "tests/support/fake_file_system.h"
#include "ui/drive_list.h"
#include "ui/path_text.h"
#include "ui/search_texts.h"

namespace dustvane::testing {
namespace {

#ifndef _WIN32
TEST(PathText, ValidTextShowsAsIs) {
  EXPECT_EQ(DisplayPath("/home/ann/a.tmp"), "/home/ann/a.tmp");
  EXPECT_EQ(DisplayPath("/tmp/caf\xc3\xa9 \xf0\x9f\x98\x80.tmp"), "/tmp/caf\xc3\xa9 \xf0\x9f\x98\x80.tmp");
}

TEST(PathText, EveryOtherByteShowsVisiblyAndDistinctly) {
  EXPECT_EQ(DisplayPath("a\xff" "b"), "a\\xFFb");
  EXPECT_EQ(DisplayPath("a\\xFFb"), "a\\\\xFFb");
  EXPECT_EQ(DisplayPath(std::string("n\nl\tz\0e\x7f", 8)), "n\\x0Al\\x09z\\x00e\\x7F");
  // Overlong, surrogate and truncated sequences are bytes, not characters.
  EXPECT_EQ(DisplayPath("\xc0\xaf"), "\\xC0\\xAF");
  EXPECT_EQ(DisplayPath("\xed\xa0\x80"), "\\xED\\xA0\\x80");
  EXPECT_EQ(DisplayPath("x\xe2\x82"), "x\\xE2\\x82");
  // Invisible and line-breaking characters.
  EXPECT_EQ(DisplayPath("\xe2\x80\xae" "gpj.tmp"), "\\u{202E}gpj.tmp");
  EXPECT_EQ(DisplayPath("a\xe2\x80\xa8" "b\xc2\x85"), "a\\u{2028}b\\u{0085}");
  EXPECT_EQ(DisplayPath("\xf3\xa0\x80\x81"), "\\u{E0001}");
}
#else
TEST(PathText, ValidTextShowsAsUtf8WithItsSeparators) {
  EXPECT_EQ(DisplayPath(L"C:\\Users\\ann\\a.tmp"), "C:\\Users\\ann\\a.tmp");
  EXPECT_EQ(DisplayPath(L"C:\\caf\u00e9 \U0001F600.tmp"), "C:\\caf\xc3\xa9 \xf0\x9f\x98\x80.tmp");
}

TEST(PathText, LoneSurrogatesAndInvisibleCharactersShowVisiblyAndDistinctly) {
  EXPECT_EQ(DisplayPath(std::wstring(L"a") + wchar_t(0xD800) + L"b"), "a<U+D800>b");
  EXPECT_EQ(DisplayPath(std::wstring(1, wchar_t(0xDC00)) + wchar_t(0xD800)), "<U+DC00><U+D800>");
  EXPECT_EQ(DisplayPath(L"a<U+D800>b"), "a<U+003C>U+D800>b");
  EXPECT_EQ(DisplayPath(L"n\nl\u202Egpj"), "n<U+000A>l<U+202E>gpj");
}
#endif

TEST(SearchTexts, CountIsPlainDigits) {
  EXPECT_EQ(CountText(0), "0");
  EXPECT_EQ(CountText(1234), "1234");
  EXPECT_EQ(CountText(32767), "32767");
}

TEST(SearchTexts, SummaryGroupsTheWholeTotalInThrees) {
  const PathString root = P("/");
  const std::string under = "Size of files found under " + DisplayPath(root) + " = ";
  EXPECT_EQ(SizeSummary(root, 1234567, ","), under + "1,234,567 Bytes");
  EXPECT_EQ(SizeSummary(root, 0, ","), under + "0 Bytes");
  EXPECT_EQ(SizeSummary(root, 999, ","), under + "999 Bytes");
  EXPECT_EQ(SizeSummary(root, 1000, ","), under + "1,000 Bytes");
  EXPECT_EQ(SizeSummary(root, 2147483648ULL, ","), under + "2,147,483,648 Bytes");
  EXPECT_EQ(SizeSummary(root, ByteTotal(UINT64_MAX) + 1, "."),
            under + "18.446.744.073.709.551.616 Bytes");
  EXPECT_EQ(SizeSummary(root, 1234567, "\xe2\x80\xaf"), under + "1\xe2\x80\xaf" "234\xe2\x80\xaf" "567 Bytes");
}

TEST(DriveList, StartsOnTheDriveHoldingTheHomeFolder) {
  const std::vector<PathString> drives = {P("/"), P("/home"), P("/home2"), P("/media/usb")};
  EXPECT_EQ(DriveHolding(drives, P("/home/ann")), 1u);
  EXPECT_EQ(DriveHolding(drives, P("/home")), 1u);
  EXPECT_EQ(DriveHolding(drives, P("/home2/ann")), 2u);
  EXPECT_EQ(DriveHolding(drives, P("/homeless")), 0u);
  EXPECT_EQ(DriveHolding(drives, P("/root")), 0u);
  EXPECT_EQ(DriveHolding({P("/data")}, P("/root")), 0u);
}

#ifndef _WIN32
TEST(DriveList, TheDrivesOfThisMachineAreFolders) {
  const std::vector<PathString> drives = ListDrives();
  ASSERT_FALSE(drives.empty());
  for (const PathString& d : drives) {
    EXPECT_TRUE(d.starts_with("/")) << d;
    EXPECT_FALSE(d.starts_with("/proc") || d.starts_with("/sys")) << d;
  }
}
#endif

}  // namespace
}  // namespace dustvane::testing
