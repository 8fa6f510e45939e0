// Writes the program's icon as PNG files at the sizes desktops look for,
// into the hicolor theme layout: DIR/<n>x<n>/apps/dustvane.png.

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

#include "ui/qt/app_icon.h"

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_icons DIR\n");
    return 2;
  }
  const QImage icon = dustvane::AppIconImage().convertToFormat(QImage::Format_ARGB32);
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    // Larger sizes keep the drawn pixels crisp; smaller ones are averaged.
    const Qt::TransformationMode mode = size < 32 ? Qt::SmoothTransformation : Qt::FastTransformation;
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
    if (!QDir().mkpath(folder) ||
        !icon.scaled(size, size, Qt::IgnoreAspectRatio, mode).save(folder + QStringLiteral("/dustvane.png"))) {
      std::fprintf(stderr, "write_icons: cannot write into %s\n", qPrintable(folder));
      return 1;
    }
  }
  return 0;
}
