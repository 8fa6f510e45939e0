// The main window driven as a user drives it: scope options, the search
// button (by click and by access key), the activity bar and the exit paths.

#include <QComboBox>
#include <QLocale>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>
#include <cerrno>
#include <cstring>

#include "window_harness.h"

using namespace dustvane;
using namespace dustvane::testing;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

  void startsIdleWithLocalDiskChosen() {
    Harness h;
    h.context.drives = {"/", h.Root(), h.Root() + "/home"};
    frmMain& w = h.Main();
    QCOMPARE(w.windowTitle(), QString("Dustvane"));
    QCOMPARE(w.size(), QSize(347, 235));
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

  void tabVisitsTheControlsInDesignedOrder() {
    Harness h;
    frmMain& w = h.Main();
    ShowActive(w);
    QStringList order;
    QWidget* focus = QApplication::focusWidget();
    for (int i = 0; i < 6 && focus; ++i) {
      order << focus->objectName();
      QTest::keyClick(focus, Qt::Key_Tab);
      focus = QApplication::focusWidget();
    }
    // Qt lets Tab enter an option group once, at its selected option.
    QCOMPARE(order.first(), QString("optSearchAll"));
    QVERIFY(order.indexOf("Drive1") < order.indexOf("cmdSearch"));
    QVERIFY(order.indexOf("cmdSearch") < order.indexOf("cmdExit"));
  }

  void scopeOptionsEnableAndDisableTheDriveList() {
    Harness h;
    frmMain& w = h.Main();
    auto* drive1 = h.Control<QComboBox>(w, "Drive1");
    h.Click(w, "optDrive");
    QVERIFY(drive1->isEnabled());
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

  void searchIsBusyUntilTheNextTickThenIdle() {
    Harness h;
    h.MakeFile("a.tmp", 3);
    frmMain& w = h.Main();
    ShowActive(w);
    QPushButton* search = h.Button(w, "cmdSearch");
    h.Click(w, "cmdSearch");

    // The click handler has returned and no event has been handled since.
    QCOMPARE(search->text(), QString("...Searching..."));
    QVERIFY(!search->isEnabled());
    QVERIFY(h.Bar()->Visible());
    QVERIFY(h.Found().Visible());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(h.fileSystem.closeFoldersCalls, 1);

    QSignalSpy ticks(h.Timer(), &QTimer::timeout);
    QVERIFY(ticks.wait(1000));
    QVERIFY(search->isEnabled());
    QCOMPARE(search->text(), QString("Search For Temporary Files"));
    QVERIFY(!h.Bar()->Visible());
  }

  void accessKeySearchesOnlyUntilTheFirstRestore() {
    Harness h;
    h.MakeFile("a.tmp", 3);
    frmMain& w = h.Main();
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
    QVERIFY(!h.Found().Visible());
  }

  void barStepsByTwoWrapsAtHundredWhetherShownOrNot() {
    Harness h;
    h.TickByHand(1);
    QCOMPARE(h.Bar()->Value(), 2.0f);
    QVERIFY(!h.Found().Visible());  // the first tick made it, hidden
    QCOMPARE(h.Button(h.Main(), "cmdSearch")->text(), QString("&Search For Temporary Files"));
    h.TickByHand(48);
    QCOMPARE(h.Bar()->Value(), 98.0f);
    h.TickByHand(1);
    QCOMPARE(h.Bar()->Value(), 100.0f);
    h.TickByHand(1);
    QCOMPARE(h.Bar()->Value(), 0.0f);
    QVERIFY(!h.Bar()->Visible());
    // A full cycle is 51 ticks.
    h.TickByHand(51);
    QCOMPARE(h.Bar()->Value(), 0.0f);
    QCOMPARE(h.Bar()->value(), 0);
  }

  void barShowsWhereItStoodAndStandsStillDuringTheSearch() {
    Harness h;
    h.TickByHand(7);
    h.Click(h.Main(), "cmdSearch");
    QVERIFY(h.Bar()->Visible());
    QCOMPARE(h.Bar()->Value(), 14.0f);
    h.TickByHand(1);
    QVERIFY(!h.Bar()->Visible());
    QCOMPARE(h.Bar()->Value(), 16.0f);
  }

  void folderChoiceShowsTheResultsUnchanged() {
    Harness h;
    h.MakeFile("one.tmp", 1);
    frmMain& w = h.Main();
    h.Click(w, "cmdSearch");
    h.TickByHand(1);
    h.Click(h.Found(), "cmdClose");
    const std::vector<PathString> before = h.Lines();
    h.MakeFile("two.tmp", 1);

    h.Click(w, "optFolder");
    QApplication::setOverrideCursor(Qt::IBeamCursor);
    h.Click(w, "cmdSearch");
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::IBeamCursor);  // left alone
    QApplication::restoreOverrideCursor();
    QVERIFY(h.Found().Visible());
    QCOMPARE(h.Lines(), before);
    QCOMPARE(h.Text3(), QString("1"));
    QVERIFY(h.Bar()->Visible());
    QVERIFY(!h.Button(w, "cmdSearch")->isEnabled());
    h.TickByHand(1);
    QVERIFY(h.Button(w, "cmdSearch")->isEnabled());
    QVERIFY(!h.Bar()->Visible());
  }

  void folderChoiceBeforeAnySearchShowsAnEmptyWindow() {
    Harness h;
    h.MakeFile("a.tmp");
    h.Click(h.Main(), "optFolder");
    h.Click(h.Main(), "cmdSearch");
    QVERIFY(h.Found().Visible());
    QVERIFY(h.Lines().empty());
    QCOMPARE(h.Text3(), QString());
  }

  void localDiskSearchWritesCountAndSummary() {
    Harness h;
    h.MakeFile("a.tmp", 1000);
    h.MakeFile("sub/B.TMP", 234);
    h.MakeFile("sub/c.txt", 5000);
    h.MakeFile("sub/old.tmp/d.tmp", 0);  // a folder named like a match is searched, not listed
    h.Click(h.Main(), "cmdSearch");
    QCOMPARE(h.Text3(), QString("3"));
    QCOMPARE(h.SizeSummary(),
             QString("Size of files found under %1 = 1,234 Bytes").arg(QString::fromStdString(h.LocalRootAfterSearch())));
    const std::vector<PathString> lines = h.Lines();
    QCOMPARE(lines.size(), size_t(3));
    QCOMPARE(lines[0], h.Root() + "/a.tmp");  // a folder's own files come before its sub-folders'
  }

  void emptySearchGivesZeroCountAndZeroBytes() {
    Harness h;
    h.MakeFile("nothing.txt", 10);
    h.Click(h.Main(), "cmdSearch");
    QCOMPARE(h.Text3(), QString("0"));
    QVERIFY(h.Lines().empty());
    QVERIFY(h.SizeSummary().endsWith(" = 0 Bytes"));
  }

  void totalBeyondTwoGigabytesIsShownExactly() {
    Harness h;
    // Sparse files: the lengths are real, the disk space is not used.
    h.MakeFile("big1.tmp", 3'000'000'000LL);
    h.MakeFile("big2.tmp", 1'500'000'001LL);
    h.Click(h.Main(), "cmdSearch");
    QVERIFY2(h.SizeSummary().endsWith(" = 4,500,000,001 Bytes"), qPrintable(h.SizeSummary()));
  }

  void driveScopeSearchesTheChosenDriveAndLeavesTheSummary() {
    Harness h;
    h.MakeFile("a/x.tmp", 7);
    h.MakeFile("b/y.tmp", 9);
    h.context.drives = {h.Root() + "/a", h.Root() + "/b"};
    h.context.homeFolder = h.Root() + "/b/user";
    frmMain& w = h.Main();
    h.Click(w, "cmdSearch");  // local disk first, for a summary to keep
    const QString summary = h.SizeSummary();
    h.TickByHand(1);

    h.Click(w, "optDrive");
    auto* drive1 = h.Control<QComboBox>(w, "Drive1");
    QCOMPARE(drive1->currentText(), QString::fromStdString(h.Root() + "/b"));
    drive1->setFocus();
    QTest::keyClick(drive1, Qt::Key_Up);
    QCOMPARE(drive1->currentIndex(), 0);
    h.Click(w, "cmdSearch");
    QCOMPARE(h.Lines(), std::vector<PathString>{h.Root() + "/a/x.tmp"});
    QCOMPARE(h.Text3(), QString("1"));
    QCOMPARE(h.SizeSummary(), summary);
  }

  void secondSearchStartsAfresh() {
    Harness h;
    h.MakeFile("a.tmp", 1);
    const PathString gone = h.MakeFile("b.tmp", 1);
    h.Click(h.Main(), "cmdSearch");
    QCOMPARE(h.Text3(), QString("2"));
    h.TickByHand(1);
    QVERIFY(QFile::remove(QString::fromStdString(gone)));
    h.Click(h.Main(), "cmdSearch");  // the results window is still showing
    QCOMPARE(h.Text3(), QString("1"));
    QCOMPARE(h.Lines(), std::vector<PathString>{h.Root() + "/a.tmp"});
    QVERIFY(h.SizeSummary().endsWith(" = 1 Bytes"));
    QVERIFY(h.Found().Visible());
  }

  void noTickRestoresTheButtonWhileASearchMessageIsOpen() {
    Harness h;
    h.MakeFile("a.tmp", 1);
    h.MakeFile("sub/bad.tmp", 1);
    frmMain& w = h.Main();
    h.Click(w, "cmdSearch");
    h.TickByHand(1);  // the results window stays visible from here on
    h.Timer()->start();
    h.fileSystem.failLengthOf = "bad.tmp";
    bool timerActive = true;
    bool searchEnabled = true;
    h.messages.onShow = [&] {
      QTest::qWait(120);  // a user reading the message: events are handled
      timerActive = h.Timer()->isActive();
      searchEnabled = h.Button(w, "cmdSearch")->isEnabled();
    };
    h.Click(w, "cmdSearch");
    QCOMPARE(h.messages.shown.size(), size_t(1));
    QCOMPARE(h.messages.shown[0].text, ErrorMessageText(FaultyFileSystem::kLengthFailure));
    QVERIFY(!timerActive);
    QVERIFY(!searchEnabled);
    QVERIFY(h.Timer()->isActive());  // ticking again once the search is over
  }

  void failurePassedOnBySearchIsReportedAndTheWindowRecovers() {
    Harness h;
    h.MakeFile("good.tmp", 4);
    h.MakeFile("sub/bad.tmp", 1);
    h.fileSystem.failLengthOf = "bad.tmp";
    // The message box fails at both levels of the walk, so the failure
    // leaves the search altogether.
    h.messages.failuresToGive = 2;
    h.Click(h.Main(), "cmdSearch");

    QCOMPARE(h.messages.shown.size(), size_t(1));
    QCOMPARE(h.messages.shown[0].title, std::string("Unexpected Error"));
    QCOMPARE(h.messages.shown[0].text, ErrorMessageText(RecordingMessages::kBrokenBox));
    QCOMPARE(h.Lines(), std::vector<PathString>{h.Root() + "/good.tmp"});
    QCOMPARE(h.Text3(), QString("1"));
    QCOMPARE(h.SizeSummary(), QString());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(h.Found().Visible());
    QVERIFY(h.Timer()->isActive());
    QSignalSpy ticks(h.Timer(), &QTimer::timeout);
    QVERIFY(ticks.wait(1000));
    QVERIFY(h.Button(h.Main(), "cmdSearch")->isEnabled());
  }

  void exitAndTheCloseControlEndTheProgram() {
    Harness h;
    frmMain& w = h.Main();
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

  void enterAndEscapePressNothing() {
    Harness h;
    frmMain& w = h.Main();
    ShowActive(w);
    QPushButton* search = h.Button(w, "cmdSearch");
    search->setFocus();
    QTest::keyClick(search, Qt::Key_Return);
    QTest::keyClick(search, Qt::Key_Enter);
    QTest::keyClick(search, Qt::Key_Escape);
    QVERIFY(search->isEnabled());
    QCOMPARE(h.programEnded, 0);
    QVERIFY(!h.Found().Visible());
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
