// Paths on Windows are UTF-16 code units, which need not pair up: a name may
// hold a lone surrogate, which no UTF-8 can carry, so it is shown escaped.
// Escapes begin with "<", which Windows does not allow in names.

#include "ui/path_text.h"

namespace dustvane {

namespace {

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendEscape(std::string& out, char32_t value) {
  out += "<U+";
  path_text::AppendHex(out, value, 4);
  out += '>';
}

void AppendShown(std::string& out, char32_t cp) {
  // A "<" that some other system put into a name is escaped too, so that it
  // never reads as the start of an escape.
  if (cp == '<' || path_text::ShownAsEscape(cp)) {
    AppendEscape(out, cp);
  } else {
    path_text::AppendUtf8(out, cp);
  }
}

}  // namespace

std::string DisplayPath(const PathString& path) {
  std::string out;
  out.reserve(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    const char32_t unit = static_cast<char16_t>(path[i]);
    if (IsHighSurrogate(unit) && i + 1 < path.size() && IsLowSurrogate(static_cast<char16_t>(path[i + 1]))) {
      const char32_t low = static_cast<char16_t>(path[i + 1]);
      AppendShown(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendEscape(out, unit);
    } else {
      AppendShown(out, unit);
    }
  }
  return out;
}

}  // namespace dustvane
