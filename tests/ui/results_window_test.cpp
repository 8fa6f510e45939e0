// The results window: selecting lines, deleting exactly the file on the
// selected line, and hiding and showing again with its contents.

#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "search/posix/errno_failure.h"
#include "ui/path_text.h"
#include "window_harness.h"

using namespace dustvane;
using namespace dustvane::testing;

namespace {

bool Exists(const PathString& path) { return access(path.c_str(), F_OK) == 0; }

std::string ErrnoMessage(int error) { return ErrorMessageText(ErrnoFailure(error)); }

}  // namespace

class ResultsWindowTest : public QObject {
  Q_OBJECT

 private:
  // Searches the local disk and leaves the results window showing and active.
  static void SearchAndShow(Harness& h) {
    h.Click(h.Main(), "cmdSearch");
    h.TickByHand(1);
    ShowActive(h.Found());
  }

  // Selects the line at `row` with the keyboard, as a user does.
  static void SelectWithKeys(Harness& h, int row) {
    auto* list = h.Control<QListView>(h.Found(), "List1");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < row; ++i) QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Space);
  }

  static int SelectedRow(Harness& h) {
    const QModelIndexList rows = h.Control<QListView>(h.Found(), "List1")->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
  }

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

  void layoutAndStartingState() {
    Harness h;
    frmFound& w = h.Found();
    QVERIFY(!w.isVisible());
    QCOMPARE(w.windowTitle(), QString("Found"));
    QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(h.Control<QListView>(w, "List1")->geometry(), QRect(8, 8, 433, 290));
    QCOMPARE(h.Button(w, "cmdDelete")->geometry(), QRect(224, 304, 81, 25));
    QCOMPARE(h.Button(w, "cmdClose")->geometry(), QRect(376, 304, 65, 25));
    QCOMPARE(h.Control<QLineEdit>(w, "Text3")->palette().color(QPalette::Text), QColor(255, 0, 0));
    // The summary line lies below the designed bottom row, inside the window.
    const QRect summary = h.Control<QLineEdit>(w, "txtSizeSummary")->geometry();
    QVERIFY(summary.top() >= 304 + 25);
    QVERIFY(w.rect().contains(summary));
  }

  void deleteWithoutSelectionReportsAndChangesNothing() {
    Harness h;
    const PathString a = h.MakeFile("a.tmp", 1);
    SearchAndShow(h);
    QCOMPARE(SelectedRow(h), -1);  // nothing is selected after a search
    h.Click(h.Found(), "cmdDelete");
    QCOMPARE(h.messages.shown.size(), size_t(1));
    QCOMPARE(h.messages.shown[0].title, std::string("Dustvane"));
    QCOMPARE(h.messages.shown[0].text, ErrnoMessage(ENOENT));
    QVERIFY(Exists(a));
    QCOMPARE(h.Lines().size(), size_t(1));
    QCOMPARE(h.Text3(), QString("1"));
    QVERIFY(h.Found().isVisible());
  }

  void deleteRemovesTheSelectedFileOnceThenReports() {
    Harness h;
    h.MakeFile("a.tmp", 1);
    h.MakeFile("b.tmp", 1);
    SearchAndShow(h);
    const std::vector<PathString> lines = h.Lines();
    SelectWithKeys(h, 1);
    QCOMPARE(SelectedRow(h), 1);

    PressAccessKey(h.Found(), Qt::Key_D);
    QVERIFY(!Exists(lines[1]));
    QVERIFY(Exists(lines[0]));
    QVERIFY(h.messages.shown.empty());
    QCOMPARE(h.Lines(), lines);  // the line stays, still selected
    QCOMPARE(SelectedRow(h), 1);
    QCOMPARE(h.Text3(), QString("2"));

    h.Click(h.Found(), "cmdDelete");
    QCOMPARE(h.messages.shown.size(), size_t(1));
    QCOMPARE(h.messages.shown[0].text, ErrnoMessage(ENOENT));
    QVERIFY(Exists(lines[0]));
  }

  void writeProtectedFileIsNotRemoved() {
    Harness h;
    const PathString locked = h.MakeFile("locked.tmp", 1);
    QCOMPARE(chmod(locked.c_str(), 0444), 0);
    SearchAndShow(h);
    SelectWithKeys(h, 0);
    h.Click(h.Found(), "cmdDelete");
    QVERIFY(Exists(locked));
    QCOMPARE(h.messages.shown.size(), size_t(1));
    QCOMPARE(h.messages.shown[0].text, ErrnoMessage(EACCES));
    QCOMPARE(SelectedRow(h), 0);
  }

  void oddNamesShowOnOneLineAndDeleteExactly() {
    Harness h;
    const PathString invalid = h.MakeFile("a\xff.tmp", 1);
    const PathString lookalike = h.MakeFile("a\\xFF.tmp", 1);  // a backslash, "x", "F", "F"
    const PathString newline = h.MakeFile("line\nbreak.tmp", 1);
    SearchAndShow(h);
    const std::vector<PathString> lines = h.Lines();
    QCOMPARE(lines.size(), size_t(3));
    QStringList shown;
    for (const PathString& line : lines) shown << DisplayPath(line);
    QCOMPARE(shown.removeDuplicates(), 0);
    for (const QString& text : shown) QVERIFY(!text.contains(u'\n'));

    const int row = static_cast<int>(std::find(lines.begin(), lines.end(), invalid) - lines.begin());
    SelectWithKeys(h, row);
    h.Click(h.Found(), "cmdDelete");
    QVERIFY(!Exists(invalid));
    QVERIFY(Exists(lookalike));
    QVERIFY(Exists(newline));
  }

  void everyHostileNameIsDeletedExactlyFromTheWindow() {
    Harness h;
    const std::vector<std::string> names = {
        "inv\xff.tmp",
        "inv\xef\xbf\xbd.tmp",  // U+FFFD, the usual stand-in for the byte above
        "new\nline.tmp",
        "tab\there.tmp",
        "-dash.tmp",
        std::string(251, 'n') + ".tmp",  // 255 bytes
    };
    std::vector<PathString> paths;
    for (const std::string& name : names) paths.push_back(h.MakeFile(name, 1));
    SearchAndShow(h);
    QCOMPARE(h.Lines().size(), names.size());

    // Delete them one by one, each by its own line; every other file stays.
    for (size_t gone = 0; gone < paths.size(); ++gone) {
      const std::vector<PathString> lines = h.Lines();
      const int row = static_cast<int>(std::find(lines.begin(), lines.end(), paths[gone]) - lines.begin());
      QVERIFY(row < static_cast<int>(lines.size()));
      SelectWithKeys(h, row);
      PressAccessKey(h.Found(), Qt::Key_D);
      for (size_t i = 0; i < paths.size(); ++i) QCOMPARE(Exists(paths[i]), i > gone);
    }
    QVERIFY(h.messages.shown.empty());
  }

  void closeHidesWithContentsAndNextSearchShowsAgain() {
    Harness h;
    h.MakeFile("a.tmp", 1);
    h.MakeFile("b.tmp", 1);
    SearchAndShow(h);
    SelectWithKeys(h, 1);
    auto* text3 = h.Control<QLineEdit>(h.Found(), "Text3");
    text3->setFocus();
    QTest::keyClicks(text3, "9");  // typed text has no effect but stays
    PressAccessKey(h.Found(), Qt::Key_C);
    QVERIFY(!h.Found().isVisible());
    QCOMPARE(h.Lines().size(), size_t(2));
    QCOMPARE(SelectedRow(h), 1);
    QCOMPARE(h.Text3(), QString("29"));

    // Once hidden, ticks leave the main window as it is.
    QPushButton* search = h.Button(h.Main(), "cmdSearch");
    search->setEnabled(false);
    h.TickByHand(3);
    QVERIFY(!search->isEnabled());
    search->setEnabled(true);

    h.Click(h.Main(), "optFolder");
    h.Click(h.Main(), "cmdSearch");
    QVERIFY(h.Found().isVisible());
    QCOMPARE(h.Text3(), QString("29"));
    QCOMPARE(SelectedRow(h), 1);
    h.TickByHand(1);
    h.Found().close();  // the frame's close control hides it too
    QVERIFY(!h.Found().isVisible());

    h.Click(h.Main(), "optSearchAll");
    h.Click(h.Main(), "cmdSearch");
    QVERIFY(h.Found().isVisible());
    QCOMPARE(h.Text3(), QString("2"));
    QCOMPARE(SelectedRow(h), -1);
  }

  void escapeAndEnterPressNoButton() {
    Harness h;
    h.MakeFile("a.tmp", 1);
    SearchAndShow(h);
    SelectWithKeys(h, 0);
    QTest::keyClick(&h.Found(), Qt::Key_Escape);
    QTest::keyClick(h.Button(h.Found(), "cmdDelete"), Qt::Key_Return);
    QVERIFY(h.Found().isVisible());
    QCOMPARE(h.Lines().size(), size_t(1));
    QVERIFY(Exists(h.Lines()[0]));
  }
};

QTEST_MAIN(ResultsWindowTest)
#include "results_window_test.moc"
