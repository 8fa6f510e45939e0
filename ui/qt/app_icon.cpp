#include "ui/qt/app_icon.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

namespace dustvane {

namespace {

constexpr int kSize = 32;

// The 16 colours of the classic icon palette, then one transparent entry for
// the corners (an icon's mask, in the old formats).
QList<QRgb> IconPalette() {
  return {qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),   qRgb(128, 128, 0),
          qRgb(0, 0, 128),     qRgb(128, 0, 128),   qRgb(0, 128, 128), qRgb(192, 192, 192),
          qRgb(128, 128, 128), qRgb(255, 0, 0),     qRgb(0, 255, 0),   qRgb(255, 255, 0),
          qRgb(0, 0, 255),     qRgb(255, 0, 255),   qRgb(0, 255, 255), qRgb(255, 255, 255),
          qRgba(0, 0, 0, 0)};
}

}  // namespace

QImage AppIconImage() {
  QImage image(kSize, kSize, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    // Hard edges only: every pixel must be one of the palette's colours.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);

    const QRect disc(1, 1, kSize - 3, kSize - 3);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(disc);

    QFont font("DejaVu Sans");
    font.setPixelSize(11);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 9, kSize, 13), Qt::AlignCenter, QStringLiteral("tmp"));

    const QColor red(255, 0, 0);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(red, 3));
    p.drawEllipse(disc.adjusted(1, 1, -1, -1));
    p.setPen(QPen(red, 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPoint(7, 7), QPoint(24, 24));
  }
  return image.convertToFormat(QImage::Format_Indexed8, IconPalette(),
                               Qt::ThresholdDither | Qt::AvoidDither);
}

QIcon AppIcon() { return QIcon(QPixmap::fromImage(AppIconImage())); }

}  // namespace dustvane
