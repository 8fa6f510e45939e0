#include "ui/path_text.h"

namespace dustvane {

namespace {

void AppendHex(QString& out, uint32_t value, int digits) {
  out += QString::number(value, 16).toUpper().rightJustified(digits, u'0');
}

void AppendByteEscape(QString& out, unsigned char byte) {
  out += u"\\x";
  AppendHex(out, byte, 2);
}

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

bool ShownAsEscape(char32_t cp) {
  switch (QChar::category(cp)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
      return true;
    default:
      return false;
  }
}

}  // namespace

QString DisplayPath(const PathString& path) {
  QString out;
  out.reserve(static_cast<qsizetype>(path.size()));
  size_t i = 0;
  while (i < path.size()) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (byte < 0x80) {
      if (byte < 0x20 || byte == 0x7F) {
        AppendByteEscape(out, byte);
      } else if (byte == '\\') {
        out += u"\\\\";
      } else {
        out += QChar(byte);
      }
      ++i;
      continue;
    }
    const Decoded d = DecodeUtf8(path, i);
    if (d.length == 0) {
      AppendByteEscape(out, byte);
      ++i;
      continue;
    }
    if (ShownAsEscape(d.codePoint)) {
      out += u"\\u{";
      AppendHex(out, d.codePoint, 4);
      out += u'}';
    } else if (d.codePoint > 0xFFFF) {
      out += QChar(QChar::highSurrogate(d.codePoint));
      out += QChar(QChar::lowSurrogate(d.codePoint));
    } else {
      out += QChar(static_cast<char16_t>(d.codePoint));
    }
    i += d.length;
  }
  return out;
}

QByteArray PathToBytes(const PathString& path) {
  return QByteArray(path.data(), static_cast<qsizetype>(path.size()));
}

PathString PathFromBytes(const QByteArray& bytes) {
  return PathString(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace dustvane
