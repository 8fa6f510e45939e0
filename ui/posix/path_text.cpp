// Paths on POSIX systems are bytes, usually but not always UTF-8.

#include "ui/path_text.h"

namespace dustvane {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The code point of the UTF-8 sequence starting at `at`, and its length in
// bytes; a length of 0 when the bytes there are not a valid sequence
// (overlong forms, surrogates and values past U+10FFFF included).
struct Decoded {
  char32_t codePoint = 0;
  size_t length = 0;
};

Decoded DecodeUtf8(const PathString& s, size_t at) {
  const auto lead = static_cast<unsigned char>(s[at]);
  if (lead < 0x80) return {lead, 1};
  size_t length = 0;
  char32_t smallest = 0;
  char32_t cp = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, smallest = 0x80, cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, smallest = 0x800, cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, smallest = 0x10000, cp = lead & 0x07;
  } else {
    return {};
  }
  if (at + length > s.size()) return {};
  for (size_t k = 1; k < length; ++k) {
    const auto byte = static_cast<unsigned char>(s[at + k]);
    if (!IsContinuation(byte)) return {};
    cp = (cp << 6) | (byte & 0x3F);
  }
  if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {};
  return {cp, length};
}

void AppendByteEscape(std::string& out, unsigned char byte) {
  out += "\\x";
  path_text::AppendHex(out, byte, 2);
}

void AppendShown(std::string& out, char32_t cp) {
  if (cp < 0x20 || cp == 0x7F) {
    AppendByteEscape(out, static_cast<unsigned char>(cp));
  } else if (cp == '\\') {
    out += "\\\\";
  } else if (path_text::ShownAsEscape(cp)) {
    path_text::AppendEscape(out, cp);
  } else {
    path_text::AppendUtf8(out, cp);
  }
}

}  // namespace

std::string DisplayPath(const PathString& path) {
  std::string out;
  out.reserve(path.size());
  size_t i = 0;
  while (i < path.size()) {
    // Printable ASCII, most of most paths, stands for itself.
    const auto byte = static_cast<unsigned char>(path[i]);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      out += static_cast<char>(byte);
      ++i;
      continue;
    }
    const Decoded d = DecodeUtf8(path, i);
    if (d.length == 0) {
      AppendByteEscape(out, static_cast<unsigned char>(path[i]));
      ++i;
    } else {
      AppendShown(out, d.codePoint);
      i += d.length;
    }
  }
  return out;
}

}  // namespace dustvane
