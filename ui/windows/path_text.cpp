// Paths on Windows are UTF-16 code units, which need not pair up: a name may
// hold a lone surrogate, which no UTF-8 can carry, so it is shown escaped.

#include "ui/path_text.h"

namespace dustvane {

namespace {

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendShown(std::string& out, char32_t cp) {
  if (path_text::ShownAsEscape(cp)) {
    path_text::AppendEscape(out, cp);
  } else {
    path_text::AppendUtf8(out, cp);
  }
}

// A "u{" at the start of a name would read, after its separator, as an
// escape.
bool BeginsLikeAnEscape(const PathString& path, size_t i) {
  return path[i] == L'u' && (i == 0 || path[i - 1] == L'\\') && i + 1 < path.size() && path[i + 1] == L'{';
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
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit) || BeginsLikeAnEscape(path, i)) {
      path_text::AppendEscape(out, unit);
    } else {
      AppendShown(out, unit);
    }
  }
  return out;
}

}  // namespace dustvane
