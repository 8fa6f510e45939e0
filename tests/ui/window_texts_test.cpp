// What the windows show besides the controls' states: paths as text, the
// count and size summary, the drive that Drive1 starts on, and the icon.

#include <QLocale>
#include <QSet>
#include <QtTest>

#include "ui/app_icon.h"
#include "ui/drive_list.h"
#include "ui/path_text.h"
#include "ui/search_texts.h"

using namespace dustvane;

class WindowTextsTest : public QObject {
  Q_OBJECT

 private slots:
  void pathsShowValidTextAsIs() {
    QCOMPARE(DisplayPath("/home/ann/a.tmp"), QString("/home/ann/a.tmp"));
    QCOMPARE(DisplayPath("/tmp/caf\xc3\xa9 \xf0\x9f\x98\x80.tmp"), QString::fromUtf8("/tmp/café 😀.tmp"));
  }

  void pathsShowEveryOtherByteVisiblyAndDistinctly() {
    QCOMPARE(DisplayPath("a\xff" "b"), QString("a\\xFFb"));
    QCOMPARE(DisplayPath("a\\xFFb"), QString("a\\\\xFFb"));
    QCOMPARE(DisplayPath(std::string("n\nl\tz\0e\x7f", 8)), QString("n\\x0Al\\x09z\\x00e\\x7F"));
    // Overlong, surrogate and truncated sequences are bytes, not characters.
    QCOMPARE(DisplayPath("\xc0\xaf"), QString("\\xC0\\xAF"));
    QCOMPARE(DisplayPath("\xed\xa0\x80"), QString("\\xED\\xA0\\x80"));
    QCOMPARE(DisplayPath("x\xe2\x82"), QString("x\\xE2\\x82"));
    // Invisible and line-breaking characters.
    QCOMPARE(DisplayPath("\xe2\x80\xae" "gpj.tmp"), QString("\\u{202E}gpj.tmp"));
    QCOMPARE(DisplayPath("a\xe2\x80\xa8" "b\xc2\x85"), QString("a\\u{2028}b\\u{0085}"));
  }

  void pathBytesRoundTrip() {
    const PathString odd("a\xff\n\0z", 5);
    QCOMPARE(PathFromBytes(PathToBytes(odd)), odd);
  }

  void countAndSummaryTexts() {
    QCOMPARE(CountText(0), QString("0"));
    QCOMPARE(CountText(1234), QString("1234"));
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QCOMPARE(SizeSummary("/", 1234567, english), QString("Size of files found under / = 1,234,567 Bytes"));
    QCOMPARE(SizeSummary("/", 0, english), QString("Size of files found under / = 0 Bytes"));
    QCOMPARE(SizeSummary("/", 999, english), QString("Size of files found under / = 999 Bytes"));
    QCOMPARE(SizeSummary("/", 2147483648LL, english), QString("Size of files found under / = 2,147,483,648 Bytes"));
    QCOMPARE(SizeSummary("/", 1234567, QLocale(QLocale::German, QLocale::Germany)),
             QString("Size of files found under / = 1.234.567 Bytes"));
    // The C locale leaves grouping out unless asked; the summary asks.
    QCOMPARE(SizeSummary("/", 1000, QLocale::c()), QString("Size of files found under / = 1,000 Bytes"));
  }

  void driveListStartsOnTheDriveHoldingTheHomeFolder() {
    const std::vector<PathString> drives = {"/", "/home", "/home2", "/media/usb"};
    QCOMPARE(DriveHolding(drives, "/home/ann"), size_t(1));
    QCOMPARE(DriveHolding(drives, "/home"), size_t(1));
    QCOMPARE(DriveHolding(drives, "/home2/ann"), size_t(2));
    QCOMPARE(DriveHolding(drives, "/homeless"), size_t(0));
    QCOMPARE(DriveHolding(drives, "/root"), size_t(0));
    QCOMPARE(DriveHolding({"/data"}, "/root"), size_t(0));
  }

  void theDrivesOfThisMachineAreFolders() {
    const std::vector<PathString> drives = ListDrives();
    QVERIFY(!drives.empty());
    for (const PathString& d : drives) {
      QVERIFY2(d.starts_with("/"), d.c_str());
      QVERIFY2(!d.starts_with("/proc") && !d.starts_with("/sys"), d.c_str());
    }
  }

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

QTEST_MAIN(WindowTextsTest)
#include "window_texts_test.moc"
