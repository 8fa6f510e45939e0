// A screen reader must be able to speak every control of both windows.

#include <QAccessible>
#include <QtTest>

#include "tests/ui/qt/window_harness.h"

using namespace dustvane;
using namespace dustvane::testing;

class AccessibilityTest : public QObject {
  Q_OBJECT

 private slots:
  void everyControlHasASpokenName() {
    Harness harness;
    for (QWidget* window : {static_cast<QWidget*>(&harness.Main()), static_cast<QWidget*>(&harness.Found())}) {
      int checked = 0;
      for (QWidget* control : window->findChildren<QWidget*>()) {
        // Qt's own inner parts of a control are named "qt_..." or not at all.
        if (control->objectName().isEmpty() || control->objectName().startsWith("qt_")) continue;
        ++checked;
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(control);
        QVERIFY2(spoken, qPrintable(control->objectName()));
        QVERIFY2(!spoken->text(QAccessible::Name).trimmed().isEmpty(), qPrintable(control->objectName()));
      }
      QVERIFY(checked >= 6);
    }
  }

  void captionsAreSpokenWithoutTheirAccessKeyMarks() {
    Harness harness;
    QAccessibleInterface* search = QAccessible::queryAccessibleInterface(harness.Button(harness.Main(), "cmdSearch"));
    QCOMPARE(search->text(QAccessible::Name), QString("Search For Temporary Files"));
  }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
