// The program's icon, drawn by our own code at every size it is installed at.

#include <QSet>
#include <QtTest>

#include "tests/ui/qt/window_harness.h"
#include "ui/qt/app_icon.h"

using namespace dustvane;

namespace {

// Whether every `block` x `block` square of the picture is of one colour, as
// in a smaller picture scaled up.
bool MadeOfBlocks(const QImage& icon, int block) {
  for (int y = 0; y < icon.height(); ++y) {
    for (int x = 0; x < icon.width(); ++x) {
      if (icon.pixel(x, y) != icon.pixel(x - x % block, y - y % block)) return false;
    }
  }
  return true;
}

}  // namespace

class IconTest : public QObject {
  Q_OBJECT

 private slots:
  void everySizeIsA16ColourProhibitionSignWithHardEdges() {
    for (int size : kIconSizes) {
      const QString at = QStringLiteral("at %1 px").arg(size);
      const QImage icon = AppIconImage(size);
      QCOMPARE(icon.size(), QSize(size, size));
      QSet<QRgb> colours;
      for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
          const QRgb c = icon.pixel(x, y);
          QVERIFY2(qAlpha(c) == 0 || qAlpha(c) == 255, qPrintable(at));  // no smoothed edge
          if (qAlpha(c) != 0) colours.insert(c);
        }
      }
      QVERIFY2(colours.size() <= 16, qPrintable(at));
      for (QRgb wanted : {qRgb(255, 0, 0), qRgb(0, 0, 0), qRgb(255, 255, 255)}) {
        QVERIFY2(colours.contains(wanted), qPrintable(at));
      }
      for (QPoint corner : {QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1), QPoint(size - 1, size - 1)}) {
        QCOMPARE(qAlpha(icon.pixel(corner)), 0);
      }
      QCOMPARE(icon.pixel(size / 2, size / 2), qRgb(255, 0, 0));  // the bar crosses the middle
      // Drawn at its own size, not the 32-pixel one scaled up.
      if (size > 32 && size % 32 == 0) QVERIFY2(!MadeOfBlocks(icon, size / 32), qPrintable(at));
    }
  }

  // The windows' icon, which the desktop scales from the nearest size it holds.
  void theWindowsGetEverySize() {
    testing::Harness h;
    for (QWidget* window : {static_cast<QWidget*>(&h.Main()), static_cast<QWidget*>(&h.Found())}) {
      const QList<QSize> sizes = window->windowIcon().availableSizes();
      for (int size : kIconSizes) {
        QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(window->objectName() + " " + QString::number(size)));
      }
    }
  }
};

QTEST_MAIN(IconTest)
#include "icon_test.moc"
