// Writes the program's icon, drawn by the same code as the window icon:
//   write_icons DIR         PNG files at the sizes desktops look for, in the
//                           hicolor theme layout: DIR/<n>x<n>/apps/dustvane.png
//   write_icons --ico FILE  the Windows icon file, at 16, 32, 48 and 256 pixels

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstring>

#include "packaging/ico_file.h"
#include "ui/qt/app_icon.h"

namespace {

QImage IconAt(int size) { return dustvane::AppIconImage(size).convertToFormat(QImage::Format_ARGB32); }

int WritePngs(const QString& dir) {
  for (int size : dustvane::kIconSizes) {
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(dir).arg(size);
    if (!QDir().mkpath(folder) || !IconAt(size).save(folder + QStringLiteral("/dustvane.png"))) {
      std::fprintf(stderr, "write_icons: cannot write into %s\n", qPrintable(folder));
      return 1;
    }
  }
  return 0;
}

int WriteIco(const QString& path) {
  // The sizes Windows shows at 100% to 150% (small and large icons), and the
  // one it scales down for every larger view, so none is scaled up.
  const QByteArray ico = dustvane::IcoFile({IconAt(16), IconAt(32), IconAt(48), IconAt(256)});
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(ico) != ico.size() ||
      !file.flush()) {
    std::fprintf(stderr, "write_icons: cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc == 2 && std::strcmp(argv[1], "--ico") != 0) return WritePngs(QString::fromLocal8Bit(argv[1]));
  if (argc == 3 && std::strcmp(argv[1], "--ico") == 0) return WriteIco(QString::fromLocal8Bit(argv[2]));
  std::fprintf(stderr, "usage: write_icons DIR | write_icons --ico FILE\n");
  return 2;
}
