#pragma once

#include <cstdint>
#include <string>

#include "search/path_string.h"

namespace dustvane {

// How a path is shown on screen, as UTF-8. A path need not be valid text
// (bytes on POSIX systems, UTF-16 code units on Windows), so the text shown
// must neither hide anything nor let two different paths look alike. Valid
// text is shown as the characters it encodes, except that what is invisible,
// breaks the line or passes for a plain space (controls, format characters
// such as zero-width spaces and bidi overrides, line and paragraph
// separators, every space but U+0020), and what passes for another character
// (a compatibility character such as the Kelvin sign, a combining accent
// that composes with the character before it, a Cyrillic, Greek or Armenian
// letter drawn as a Latin one: see path_text.cpp), is shown as an escape, and
// so is what is not text at all. Printable ASCII is always shown as it is. A character is escaped as \u{NNNN} (at least four
// upper-case hex digits), and every "\u{" shown begins an escape, so an
// escape and the same characters typed into a name never display the same:
//   - POSIX: a byte that is not part of valid UTF-8 and every control below
//     U+0020 or U+007F show as \xNN (two upper-case hex digits), so a newline
//     in a name shows as \x0A; a backslash in a name is doubled, "\\".
//   - Windows: the backslash is the separator, which no name holds, and shown
//     as is; a lone UTF-16 surrogate is escaped as the unit it is
//     (\u{D800}); a name that begins with "u{" shows that "u" as \u{0075}.
std::string DisplayPath(const PathString& path);

// The pieces both platforms' DisplayPath are made of.
namespace path_text {

// Whether a character is invisible, breaks the line, passes for a plain
// space or for another character, and so is escaped. Both platforms use
// this one classification.
bool ShownAsEscape(char32_t codePoint);
void AppendUtf8(std::string& out, char32_t codePoint);
// Upper-case hex digits, at least `digits` of them.
void AppendHex(std::string& out, uint32_t value, int digits);
// The escape of a character (or of a lone UTF-16 unit): \u{NNNN}.
void AppendEscape(std::string& out, uint32_t value);

}  // namespace path_text

}  // namespace dustvane
