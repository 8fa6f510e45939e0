// The main window in Qt widgets: its starting state, the Tab key,
// access keys, and that each control reaches its handler.

#include <QComboBox>
#include <QStyleOptionButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include "tests/ui/qt/window_harness.h"
#include "ui/qt/frame.h"
#include "ui/qt/option_indicator.h"

using namespace dustvane;
using namespace dustvane::testing;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void startsIdleWithLocalDiskChosen() {
    Harness h;
    h.context.drives = {"/", h.Root(), h.Root() + "/home"};
    QtMainWindow& w = h.Main();
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(h.Control<QRadioButton>(w, "optSearchAll")->isChecked());
    QVERIFY(!h.Control<QRadioButton>(w, "optDrive")->isChecked());
    QVERIFY(!h.Control<QRadioButton>(w, "optFolder")->isChecked());
    auto* drive1 = h.Control<QComboBox>(w, "Drive1");
    QVERIFY(!drive1->isEnabled());
    QCOMPARE(drive1->count(), 3);
    QCOMPARE(drive1->currentIndex(), 2);  // the drive that holds the home folder
    QVERIFY(!h.Bar()->Visible());
    QCOMPARE(h.Bar()->Value(), 0.0f);
    QVERIFY(h.Button(w, "cmdSearch")->isEnabled());
    QCOMPARE(h.Button(w, "cmdSearch")->text(), QString("&Search For Temporary Files"));
    QVERIFY(h.Timer()->isActive());
    QCOMPARE(h.Timer()->interval(), 50);
  }

  void frameCaptionSitsOnTheBorderAboveWholeOptions() {
    Harness h;
    QtMainWindow& w = h.Main();
    ShowActive(w);
    auto* frame = h.Control<QtFrame>(w, "frmeSearchDrives");
    const QRect caption = frame->CaptionRect();
    QVERIFY(caption.top() < frame->LineTop() && frame->LineTop() < caption.bottom());
    for (const char* name : {"optSearchAll", "optDrive", "optFolder"}) {
      auto* option = h.Control<QRadioButton>(w, name);
      QVERIFY2(caption.bottom() < option->geometry().top(), name);
      QStyleOptionButton button;
      button.initFrom(option);
      button.text = option->text();
      const QRect place = option->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &button, option);
      QVERIFY2(QRectF(option->rect()).contains(IndicatorRing(place)), name);
    }
  }

  void tabLeavesTheDriveListForTheSearchButton() {
    Harness h;
    QtMainWindow& w = h.Main();
    h.Click(w, "optDrive");  // Drive1 takes the focus only while enabled
    // Qt's Tab passes over the options that are not checked (arrow keys move
    // within the group); the chain it follows is the description's
    // (window_layout_test.cpp).
    ShowActive(w);
    h.Control<QWidget>(w, "Drive1")->setFocus();
    PressKey(w, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("cmdSearch"));
  }

  void scopeOptionsReachTheDriveList() {
    Harness h;
    QtMainWindow& w = h.Main();
    auto* drive1 = h.Control<QComboBox>(w, "Drive1");
    h.Click(w, "optDrive");
    QVERIFY(drive1->isEnabled());
    h.Click(w, "optFolder");
    QVERIFY(drive1->isEnabled());  // Folder leaves the drive list as it was
    h.Click(w, "optSearchAll");
    QVERIFY(!drive1->isEnabled());
    h.Click(w, "optFolder");
    QVERIFY(!drive1->isEnabled());
    QVERIFY(h.Control<QRadioButton>(w, "optFolder")->isChecked());
    QVERIFY(!h.Control<QRadioButton>(w, "optSearchAll")->isChecked());
  }

  void searchButtonSearchesAndTheTimerEndsTheBusyState() {
    Harness h;
    h.MakeFile("a.tmp", 1000);
    h.MakeFile("sub/B.TMP", 234);
    QtMainWindow& w = h.Main();
    ShowActive(w);
    QPushButton* search = h.Button(w, "cmdSearch");
    QApplication::setOverrideCursor(Qt::IBeamCursor);  // someone else's cursor
    h.Click(w, "cmdSearch");

    // The click handler has returned and no event has been handled since.
    QCOMPARE(search->text(), QString("...Searching..."));
    QVERIFY(!search->isEnabled());
    QVERIFY(h.Bar()->Visible());
    QVERIFY(h.Found().isVisible());
    QCOMPARE(h.Text3(), QString("2"));
    QCOMPARE(h.SizeSummary(),
             QString("Size of files found under %1/ = 1,234 Bytes").arg(QString::fromStdString(h.Root())));
    QCOMPARE(h.Lines().front(), h.Root() + "/a.tmp");
    // Only the hourglass is taken down again.
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::IBeamCursor);
    QApplication::restoreOverrideCursor();
    QVERIFY(QApplication::overrideCursor() == nullptr);

    QSignalSpy ticks(h.Timer(), &QTimer::timeout);
    QVERIFY(ticks.wait(1000));
    QVERIFY(search->isEnabled());
    QCOMPARE(search->text(), QString("Search For Temporary Files"));
    QVERIFY(!h.Bar()->Visible());
  }

  void barShowsItsPositionRounded() {
    Harness h;
    h.TickByHand(7);
    QCOMPARE(h.Bar()->value(), 14);
    h.TickByHand(43);
    QCOMPARE(h.Bar()->value(), 100);
    h.TickByHand(1);
    QCOMPARE(h.Bar()->value(), 0);
  }

  void accessKeySearchesOnlyUntilTheFirstRestore() {
    Harness h;
    h.MakeFile("a.tmp", 3);
    QtMainWindow& w = h.Main();
    ShowActive(w);
    h.Timer()->stop();
    PressAccessKey(w, Qt::Key_S);
    QCOMPARE(h.Button(w, "cmdSearch")->text(), QString("...Searching..."));
    QCOMPARE(h.Text3(), QString("1"));

    h.TickByHand(1);
    h.Found().SetVisible(false);
    ShowActive(w);
    PressAccessKey(w, Qt::Key_S);
    QVERIFY(h.Button(w, "cmdSearch")->isEnabled());
    QVERIFY(!h.Found().isVisible());
  }

  void driveListChoiceIsTheDriveSearched() {
    Harness h;
    h.MakeFile("a/x.tmp", 7);
    h.MakeFile("b/y.tmp", 9);
    h.context.drives = {h.Root() + "/a", h.Root() + "/b"};
    h.context.homeFolder = h.Root() + "/b/user";
    QtMainWindow& w = h.Main();
    h.Click(w, "optDrive");
    auto* drive1 = h.Control<QComboBox>(w, "Drive1");
    QCOMPARE(drive1->currentText(), QString::fromStdString(h.Root() + "/b"));
    drive1->setFocus();
    QTest::keyClick(drive1, Qt::Key_Up);
    QCOMPARE(drive1->currentIndex(), 0);
    h.Click(w, "cmdSearch");
    QCOMPARE(h.Lines(), std::vector<PathString>{h.Root() + "/a/x.tmp"});
    QCOMPARE(h.Text3(), QString("1"));
  }

  void exitAndTheCloseControlEndTheProgram() {
    Harness h;
    QtMainWindow& w = h.Main();
    ShowActive(w);
    h.Click(w, "cmdSearch");  // busy, with the results window showing
    h.Click(w, "cmdExit");
    QCOMPARE(h.programEnded, 1);
    QVERIFY(!w.isVisible());
    QVERIFY(!h.Found().isVisible());
    QVERIFY(!h.Timer()->isActive());

    Harness byFrame;
    ShowActive(byFrame.Main());
    byFrame.Main().close();
    QCOMPARE(byFrame.programEnded, 1);

    Harness byKey;
    ShowActive(byKey.Main());
    PressAccessKey(byKey.Main(), Qt::Key_E);
    QCOMPARE(byKey.programEnded, 1);
  }

  void enterAndEscapePressNothingWhereverTheFocusIs() {
    Harness h;
    QtMainWindow& w = h.Main();
    h.Click(w, "optDrive");
    ShowActive(w);
    for (const QString& name : FocusChain(w)) {
      h.Control<QWidget>(w, qPrintable(name))->setFocus();
      for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) PressKey(w, key);
      QVERIFY2(h.Button(w, "cmdSearch")->isEnabled(), qPrintable(name));
      QVERIFY2(!h.Found().isVisible(), qPrintable(name));
      QVERIFY2(h.Control<QRadioButton>(w, "optDrive")->isChecked(), qPrintable(name));
      QCOMPARE(h.programEnded, 0);
      QVERIFY(w.isVisible());
    }
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
