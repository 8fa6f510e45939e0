#pragma once

#include <cstdint>
#include <string>

#include "search/path_string.h"

namespace dustvane {

// How a path is shown on screen, as UTF-8. A path need not be valid text
// (bytes on POSIX systems, UTF-16 code units on Windows), so the text shown
// must neither hide anything nor let two different paths look alike. Valid
// text is shown as the characters it encodes, except that what is invisible
// or breaks the line (controls, format characters such as bidi overrides,
// line and paragraph separators) is shown as an escape, and so is what is
// not text at all. Each platform writes escapes in a form that no name can
// hold literally:
//   - POSIX: a byte that is not part of valid UTF-8 and every control below
//     U+0020 or U+007F as \xNN (two upper-case hex digits), so a newline in
//     a name shows as \x0A; other characters as \u{NNNN}; a backslash itself
//     doubled, "\\", so an escape and the same characters typed into a name
//     never display the same.
//   - Windows: the backslash is the separator and shown as is; escapes are
//     written <U+NNNN>, a lone UTF-16 surrogate included, and a "<" in a name
//     is itself escaped, so the two never look alike.
std::string DisplayPath(const PathString& path);

// The pieces both platforms' DisplayPath are made of.
namespace path_text {

// Whether a character is invisible or breaks the line, and so is escaped.
bool ShownAsEscape(char32_t codePoint);
void AppendUtf8(std::string& out, char32_t codePoint);
// Upper-case hex digits, at least `digits` of them.
void AppendHex(std::string& out, uint32_t value, int digits);

}  // namespace path_text

}  // namespace dustvane
