#include "packaging/ico_file.h"

#include <QBuffer>
#include <QtEndian>

#include <cstdint>

namespace dustvane {

namespace {

void Put16(QByteArray& out, std::uint16_t value) {
  const std::uint16_t le = qToLittleEndian(value);
  out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

void Put32(QByteArray& out, std::uint32_t value) {
  const std::uint32_t le = qToLittleEndian(value);
  out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

// One icon image: a bitmap header whose height counts the colour rows and the
// mask rows together, the colour rows bottom-up as B, G, R, A bytes, then the
// mask rows bottom-up, each padded to a whole 32-bit word.
QByteArray IconImage(const QImage& source) {
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  const int size = image.width();
  const int maskStride = (size + 31) / 32 * 4;
  const std::uint32_t colourBytes = static_cast<std::uint32_t>(size) * size * 4;
  const std::uint32_t maskBytes = static_cast<std::uint32_t>(maskStride) * size;

  QByteArray out;
  Put32(out, 40);            // header size
  Put32(out, size);          // width
  Put32(out, 2 * size);      // height: colour rows, then mask rows
  Put16(out, 1);             // planes
  Put16(out, 32);            // bits a pixel
  Put32(out, 0);             // uncompressed
  Put32(out, colourBytes + maskBytes);
  Put32(out, 0);             // resolution: none given
  Put32(out, 0);
  Put32(out, 0);             // colours used: all
  Put32(out, 0);             // colours important: all
  for (int y = size - 1; y >= 0; --y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < size; ++x) {
      out.append(static_cast<char>(qBlue(row[x])));
      out.append(static_cast<char>(qGreen(row[x])));
      out.append(static_cast<char>(qRed(row[x])));
      out.append(static_cast<char>(qAlpha(row[x])));
    }
  }
  for (int y = size - 1; y >= 0; --y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    QByteArray bits(maskStride, '\0');
    for (int x = 0; x < size; ++x) {
      if (qAlpha(row[x]) == 0) bits[x / 8] = static_cast<char>(bits[x / 8] | (0x80 >> (x % 8)));
    }
    out.append(bits);
  }
  return out;
}

// A 256-pixel image as a PNG file, as Windows has read its largest icons
// since Vista: a quarter of a megabyte as a bitmap, a few kilobytes so.
QByteArray PngImage(const QImage& image) {
  QByteArray out;
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG");
  return out;
}

}  // namespace

QByteArray IcoFile(const QList<QImage>& images) {
  QList<QByteArray> bodies;
  for (const QImage& image : images) bodies.append(image.width() >= 256 ? PngImage(image) : IconImage(image));

  QByteArray out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // an icon, not a cursor
  Put16(out, static_cast<std::uint16_t>(images.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (qsizetype i = 0; i < images.size(); ++i) {
    const int size = images[i].width();
    out.append(static_cast<char>(size >= 256 ? 0 : size));  // 0 stands for 256
    out.append(static_cast<char>(size >= 256 ? 0 : size));
    out.append('\0');  // no palette
    out.append('\0');  // reserved
    Put16(out, 1);     // planes
    Put16(out, 32);    // bits a pixel
    Put32(out, static_cast<std::uint32_t>(bodies[i].size()));
    Put32(out, offset);
    offset += static_cast<std::uint32_t>(bodies[i].size());
  }
  for (const QByteArray& body : bodies) out.append(body);
  return out;
}

}  // namespace dustvane
