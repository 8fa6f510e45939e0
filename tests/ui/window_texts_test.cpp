// What the windows show besides the controls' states: paths as text, and the
// count and size summary.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fake_file_system.h"
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
}
#else
TEST(PathText, ValidTextShowsAsUtf8WithItsSeparators) {
  EXPECT_EQ(DisplayPath(L"C:\\Users\\ann\\a.tmp"), "C:\\Users\\ann\\a.tmp");
  EXPECT_EQ(DisplayPath(L"C:\\caf\u00e9 \U0001F600.tmp"), "C:\\caf\xc3\xa9 \xf0\x9f\x98\x80.tmp");
}

TEST(PathText, LoneSurrogatesAndInvisibleCharactersShowVisiblyAndDistinctly) {
  EXPECT_EQ(DisplayPath(std::wstring(L"a") + wchar_t(0xD800) + L"b"), "a\\u{D800}b");
  EXPECT_EQ(DisplayPath(std::wstring(1, wchar_t(0xDC00)) + wchar_t(0xD800)), "\\u{DC00}\\u{D800}");
  EXPECT_EQ(DisplayPath(L"n\nl\u202Egpj"), "n\\u{000A}l\\u{202E}gpj");
  // A file "u{D800}.tmp" in C:\a, and "a", a lone surrogate, ".tmp" in C:\.
  EXPECT_EQ(DisplayPath(L"C:\\a\\u{D800}.tmp"), "C:\\a\\\\u{0075}{D800}.tmp");
  EXPECT_EQ(DisplayPath(std::wstring(L"C:\\a") + wchar_t(0xD800) + L".tmp"), "C:\\a\\u{D800}.tmp");
  EXPECT_EQ(DisplayPath(L"C:\\su{x}\\u.tmp"), "C:\\su{x}\\u.tmp");
}
#endif

// Text as this platform stores it in a path.
PathString Stored(const std::u32string& text) {
  PathString stored;
  for (const char32_t cp : text) {
#ifndef _WIN32
    path_text::AppendUtf8(stored, cp);
#else
    if (cp < 0x10000) {
      stored += static_cast<wchar_t>(cp);
    } else {
      stored += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
      stored += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
#endif
  }
  return stored;
}

std::string Utf8(const std::u32string& text) {
  std::string utf8;
  for (const char32_t cp : text) path_text::AppendUtf8(utf8, cp);
  return utf8;
}

// The path "a", one character, "b".
PathString NameWith(char32_t cp) { return Stored(std::u32string(U"a") + cp + U"b"); }

TEST(PathText, InvisibleAndSpaceLikeCharactersShowAsEscapesAndNothingElseDoes) {
  struct Case {
    char32_t codePoint;
    const char* escape;  // hex digits shown in the escape; null when shown as is
  };
  const Case cases[] = {
      {0x0085, "0085"},   {0x00A0, "00A0"},   {0x00AD, "00AD"},   {0x034F, "034F"},   {0x061C, "061C"},
      {0x115F, "115F"},   {0x1680, "1680"},   {0x17B4, "17B4"},   {0x180E, "180E"},   {0x2000, "2000"},
      {0x2007, "2007"},   {0x200A, "200A"},   {0x200B, "200B"},   {0x200D, "200D"},   {0x2028, "2028"},
      {0x2029, "2029"},   {0x202E, "202E"},   {0x202F, "202F"},   {0x205F, "205F"},   {0x2060, "2060"},
      {0x2065, "2065"},   {0x3000, "3000"},   {0x3164, "3164"},   {0xE000, "E000"},   {0xFDD0, "FDD0"},
      {0xFE0F, "FE0F"},   {0xFEFF, "FEFF"},   {0xFFA0, "FFA0"},   {0xFFFF, "FFFF"},   {0x1BCA0, "1BCA0"},
      {0x1D173, "1D173"}, {0xE0001, "E0001"}, {0xE0100, "E0100"}, {0x1FFFE, "1FFFE"}, {0x10FFFD, "10FFFD"},
      // Visible characters, combining marks that compose with nothing among
      // them, show as they are.
      {0x00E9, nullptr},  {0x0335, nullptr},  {0x20DD, nullptr},  {0x00A1, nullptr},  {0x00A7, nullptr},
      {0x3001, nullptr},  {0xFFFD, nullptr},  {0x1F600, nullptr},
  };
  for (const Case& c : cases) {
    std::string expected = "a";
    if (c.escape == nullptr) {
      path_text::AppendUtf8(expected, c.codePoint);
    } else {
      expected += std::string("\\u{") + c.escape + "}";
    }
    expected += "b";
    EXPECT_EQ(DisplayPath(NameWith(c.codePoint)), expected) << std::hex << static_cast<uint32_t>(c.codePoint);
  }
}

// Each pair draws alike in common fonts: the one that passes for the other
// shows an escape, the other as it is. Letters of other scripts and accented
// letters show as they are.
TEST(PathText, NamesThatFontsDrawAlikeShowApart) {
  struct LookAlike {
    std::u32string shown;   // shown as it is
    std::u32string passes;  // passes for `shown`
    const char* escape;     // what `passes` shows
  };
  const LookAlike pairs[] = {
      {U"K.tmp", U"\u212A.tmp", "\\u{212A}.tmp"},          // the Kelvin sign
      {U"\u00C5.tmp", U"\u212B.tmp", "\\u{212B}.tmp"},     // the Angstrom sign
      {U"\u00C5.tmp", U"A\u030A.tmp", "A\\u{030A}.tmp"},    // A and a combining ring above
      {U"A.tmp", U"\uFF21.tmp", "\\u{FF21}.tmp"},          // full-width A
      {U"a-b.tmp", U"a\u2010b.tmp", "a\\u{2010}b.tmp"},    // a hyphen
  };
  for (const LookAlike& pair : pairs) {
    EXPECT_EQ(DisplayPath(Stored(pair.shown)), Utf8(pair.shown));
    EXPECT_EQ(DisplayPath(Stored(pair.passes)), pair.escape);
  }
  // Letters of other scripts show as they are, those that fonts draw like
  // Latin ones too: Cyrillic, Greek, Tamil, Thai (sara am among them), Chinese.
  const std::u32string others[] = {U"\u043E\u0442\u0447\u0435\u0442", U"\u0430", U"\u03A1\u039F\u03A7",
                                   U"\u0B95\u0BBE", U"\u0E19\u0E49\u0E33", U"\u4E2D\u6587", U"\u00FC\u00DF"};
  for (const std::u32string& text : others) {
    EXPECT_EQ(DisplayPath(Stored(text)), Utf8(text));
  }
}

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

}  // namespace
}  // namespace dustvane::testing
