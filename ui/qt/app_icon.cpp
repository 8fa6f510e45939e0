#include "ui/qt/app_icon.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <vector>

namespace dustvane {

namespace {

// The design is laid out on a grid of 32 x 32 pixels; every other size
// scales its coordinates and line widths, rounded to whole pixels, and draws
// them at that size.
constexpr int kDesignSize = 32;

// The 16 colours of the classic icon palette, then one transparent entry for
// the corners (an icon's mask, in the old formats).
QList<QRgb> IconPalette() {
  return {qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),   qRgb(128, 128, 0),
          qRgb(0, 0, 128),     qRgb(128, 0, 128),   qRgb(0, 128, 128), qRgb(192, 192, 192),
          qRgb(128, 128, 128), qRgb(255, 0, 0),     qRgb(0, 255, 0),   qRgb(255, 255, 0),
          qRgb(0, 0, 255),     qRgb(255, 0, 255),   qRgb(0, 255, 255), qRgb(255, 255, 255),
          qRgba(0, 0, 0, 0)};
}

// The letters' font: the design's size, made smaller where hinting at a few
// pixels would widen the letters past the disc's edge.
QFont LetterFont(int pixels, int widest) {
  QFont font("DejaVu Sans");
  font.setBold(true);
  font.setStyleStrategy(QFont::NoAntialias);
  for (;; --pixels) {
    font.setPixelSize(pixels);
    if (pixels <= 1 || QFontMetrics(font).horizontalAdvance(QStringLiteral("tmp")) <= widest) return font;
  }
}

// Makes transparent the white of the disc that whole-pixel drawing leaves
// outside the ring: every white pixel reached from the edge of the picture
// without crossing the ring.
void ClearWhiteOutsideRing(QImage& image) {
  const int size = image.width();
  const QRgb white = qRgb(255, 255, 255);
  const auto outside = [&](int x, int y) {
    const QRgb pixel = image.pixel(x, y);
    return qAlpha(pixel) == 0 || pixel == white;
  };
  std::vector<bool> seen(static_cast<size_t>(size) * size);
  std::vector<QPoint> next;
  for (int i = 0; i < size; ++i) {
    for (QPoint edge : {QPoint(i, 0), QPoint(i, size - 1), QPoint(0, i), QPoint(size - 1, i)}) next.push_back(edge);
  }
  while (!next.empty()) {
    const QPoint at = next.back();
    next.pop_back();
    if (at.x() < 0 || at.y() < 0 || at.x() >= size || at.y() >= size) continue;
    const size_t index = static_cast<size_t>(at.y()) * size + at.x();
    if (seen[index] || !outside(at.x(), at.y())) continue;
    seen[index] = true;
    image.setPixel(at, qRgba(0, 0, 0, 0));
    for (QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) next.push_back(at + step);
  }
}

}  // namespace

QImage AppIconImage(int size) {
  // A length of the design grid at this size, in whole pixels.
  const auto at = [size](int design) { return qRound(design * size / double(kDesignSize)); };
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    // Hard edges only: every pixel must be one of the palette's colours.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);

    // The margins are scaled; the pixel by which an ellipse of whole pixels
    // falls short of the middle is not.
    const int margin = at(1);
    const QRect disc(margin, margin, size - 2 * margin - 1, size - 2 * margin - 1);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(disc);

    p.setFont(LetterFont(at(11), disc.width() - 2 * margin));
    p.setPen(Qt::black);
    p.drawText(QRect(0, at(9), size, size - 2 * at(9) - 1), Qt::AlignCenter, QStringLiteral("tmp"));

    const QColor red(255, 0, 0);
    const int stroke = at(3);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(red, stroke));
    p.drawEllipse(disc.adjusted(margin, margin, -margin, -margin));
    p.setPen(QPen(red, stroke, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPoint(at(7), at(7)), QPoint(size - 1 - at(7), size - 1 - at(7)));
  }
  // The designed size stays exactly as it was drawn.
  if (size != kDesignSize) ClearWhiteOutsideRing(image);
  return image.convertToFormat(QImage::Format_Indexed8, IconPalette(),
                               Qt::ThresholdDither | Qt::AvoidDither);
}

QIcon AppIcon() {
  // Drawn once: the application and each window ask for it at start-up.
  static const QIcon icon = [] {
    QIcon all;
    for (int size : kIconSizes) all.addPixmap(QPixmap::fromImage(AppIconImage(size)));
    return all;
  }();
  return icon;
}

}  // namespace dustvane
