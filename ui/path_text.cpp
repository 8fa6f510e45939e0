#include "ui/path_text.h"

#include <cstdint>

namespace dustvane::path_text {

namespace {

// Characters that show no mark of their own, or a mark that passes for a
// plain space or for nothing, as ranges of code points:
//   - controls (Cc) and the line and paragraph separators (Zl, Zp);
//   - every white space but U+0020 itself: no-break, en, em, thin, ideographic
//     and other spaces;
//   - format characters (Cf): soft hyphen, zero-width characters, bidi
//     controls, tags;
//   - default-ignorable characters that fonts draw as nothing: the combining
//     grapheme joiner, Hangul fillers, variation selectors;
//   - private-use characters and noncharacters, which have no agreed glyph,
//     so any two of them look alike.
// Combining marks are not here: an accent over a letter is visible.
struct Range {
  char32_t first;
  char32_t last;
};
constexpr Range kInvisibleCharacters[] = {
    {0x0000, 0x001F},   {0x007F, 0x00A0},   {0x00AD, 0x00AD},   {0x034F, 0x034F},   {0x0600, 0x0605},
    {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},
    {0x115F, 0x1160},   {0x1680, 0x1680},   {0x17B4, 0x17B5},   {0x180B, 0x180F},   {0x2000, 0x200F},
    {0x2028, 0x202F},   {0x205F, 0x206F},   {0x3000, 0x3000},   {0x3164, 0x3164},   {0xE000, 0xF8FF},
    {0xFDD0, 0xFDEF},   {0xFE00, 0xFE0F},   {0xFEFF, 0xFEFF},   {0xFFA0, 0xFFA0},   {0xFFF0, 0xFFFB},
    {0x110BD, 0x110BD}, {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A},
    {0xE0000, 0xE0FFF}, {0xF0000, 0x10FFFF},
};

// U+FFFE and U+FFFF of every plane.
bool IsPlaneEndNoncharacter(char32_t cp) { return (cp & 0xFFFE) == 0xFFFE; }

}  // namespace

void AppendHex(std::string& out, uint32_t value, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string hex;
  do {
    hex.insert(hex.begin(), kHex[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  if (static_cast<int>(hex.size()) < digits) hex.insert(0, static_cast<size_t>(digits) - hex.size(), '0');
  out += hex;
}

void AppendEscape(std::string& out, uint32_t value) {
  out += "\\u{";
  AppendHex(out, value, 4);
  out += '}';
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool ShownAsEscape(char32_t cp) {
  if (IsPlaneEndNoncharacter(cp)) return true;
  for (const Range& r : kInvisibleCharacters) {
    if (cp < r.first) return false;
    if (cp <= r.last) return true;
  }
  return false;
}

}  // namespace dustvane::path_text
