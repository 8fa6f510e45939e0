// The program's icon, drawn by our own code.

#include <QSet>
#include <QtTest>

#include "ui/qt/app_icon.h"

using namespace dustvane;

class IconTest : public QObject {
  Q_OBJECT

 private slots:
  void iconIsA16ColourProhibitionSignWithTransparentCorners() {
    const QImage icon = AppIconImage();
    QCOMPARE(icon.size(), QSize(32, 32));
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        const QRgb c = icon.pixel(x, y);
        if (qAlpha(c) != 0) colours.insert(c);
      }
    }
    QVERIFY(colours.size() <= 16);
    QVERIFY(colours.contains(qRgb(255, 0, 0)));
    QVERIFY(colours.contains(qRgb(0, 0, 0)));
    QVERIFY(colours.contains(qRgb(255, 255, 255)));
    for (QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)}) {
      QCOMPARE(qAlpha(icon.pixel(corner)), 0);
    }
    QCOMPARE(icon.pixel(16, 16), qRgb(255, 0, 0));  // the bar crosses the middle
  }
};

QTEST_MAIN(IconTest)
#include "icon_test.moc"
