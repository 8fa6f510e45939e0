// The results window in Qt widgets: its starting state, selecting lines with the
// keyboard, how its list shows long lines and where a new search starts it,
// and that its buttons, access keys and close control reach their handlers
// with the exact path of the selected line.

#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QToolTip>
#include <QtTest>
#include <algorithm>
#include <unistd.h>

#include "tests/ui/qt/window_harness.h"
#include "ui/qt/results_list.h"

using namespace dustvane;
using namespace dustvane::testing;

namespace {

bool Exists(const PathString& path) { return access(path.c_str(), F_OK) == 0; }

}  // namespace

class FoundWindowTest : public QObject {
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

  static QtResultsList* List1(Harness& h) { return h.Control<QtResultsList>(h.Found(), "List1"); }

  static int SelectedRow(Harness& h) {
    const QModelIndexList rows = h.Control<QListView>(h.Found(), "List1")->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
  }

 private slots:
  void startingStateAndFrame() {
    Harness h;
    QtFoundWindow& w = h.Found();
    QVERIFY(!w.isVisible());
    QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(h.Control<QLineEdit>(w, "Text3")->palette().color(QPalette::Text), QColor(255, 0, 0));
  }

  void everyHostileNameShowsOnOneLineAndIsDeletedExactly() {
    Harness h;
    const std::vector<std::string> names = {
        "inv\xff.tmp",
        "inv\\xFF.tmp",         // a backslash, "x", "F", "F": looks like the escape above
        "inv\xef\xbf\xbd.tmp",  // U+FFFD, the usual stand-in for the invalid byte
        "new\nline.tmp",
        "tab\there.tmp",
        "-dash.tmp",
        "look alike.tmp",
        "look\xc2\xa0" "alike.tmp",     // a no-break space
        "lookalike.tmp",
        "look\xe2\x80\x8b" "alike.tmp",  // a zero-width space
        "look\xcd\x8f" "alike.tmp",       // a combining grapheme joiner
        std::string(251, 'n') + ".tmp",  // 255 bytes
    };
    std::vector<PathString> paths;
    for (const std::string& name : names) paths.push_back(h.MakeFile(name, 1));
    SearchAndShow(h);
    QCOMPARE(h.Lines().size(), names.size());
    auto* list = h.Control<QListView>(h.Found(), "List1");
    QStringList shown;
    for (int row = 0; row < list->model()->rowCount(); ++row) shown << list->model()->index(row, 0).data().toString();
    QCOMPARE(shown.removeDuplicates(), 0);
    for (const QString& text : shown) QVERIFY(!text.contains(u'\n'));

    // Delete them one by one, each by its own line; every other file stays.
    for (size_t gone = 0; gone < paths.size(); ++gone) {
      const std::vector<PathString> lines = h.Lines();
      const int row = static_cast<int>(std::find(lines.begin(), lines.end(), paths[gone]) - lines.begin());
      QVERIFY(row < static_cast<int>(lines.size()));
      SelectWithKeys(h, row);
      PressAccessKey(h.Found(), Qt::Key_D);
      for (size_t i = 0; i < paths.size(); ++i) QCOMPARE(Exists(paths[i]), i > gone);
    }
    QVERIFY(h.messages.texts.empty());

    h.Click(h.Found(), "cmdDelete");  // the button reports the file already gone
    QCOMPARE(h.messages.texts.size(), size_t(1));
  }

  void closeControlsHideWithContents() {
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
    QCOMPARE(SelectedRow(h), 1);
    QCOMPARE(h.Text3(), QString("29"));

    h.Click(h.Main(), "optFolder");
    h.Click(h.Main(), "cmdSearch");
    QVERIFY(h.Found().isVisible());
    QCOMPARE(SelectedRow(h), 1);
    h.Found().close();  // the frame's close control hides it too
    QVERIFY(!h.Found().isVisible());
    h.Found().SetVisible(true);
    h.Click(h.Found(), "cmdClose");
    QVERIFY(!h.Found().isVisible());
  }

  // Lines of different lengths, in any order: scrolled to its end, the list
  // shows the end of the widest line (in pixels, not characters), and a fill
  // of short lines has no sideways scroll left from the one before.
  void linesScrollSidewaysToTheEndOfTheWidest() {
    Harness h;
    QtResultsList* list = List1(h);
    ShowActive(h.Found());
    const std::string narrow = "/" + std::string(250, 'i') + ".tmp";
    const std::string wide = "/" + std::string(160, 'W') + ".tmp";
    const std::string plain = "/plain.tmp";
    const std::vector<std::vector<std::string>> fills = {
        {wide, narrow, plain}, {plain, wide, narrow}, {narrow, plain, wide}, {plain, plain}};
    for (const std::vector<std::string>& fill : fills) {
      list->Clear();
      for (const std::string& line : fill) QVERIFY(!list->AddItem(line));
      QApplication::processEvents();
      QScrollBar* bar = list->horizontalScrollBar();
      bar->setValue(bar->maximum());
      const auto widest = std::find(fill.begin(), fill.end(), fill.size() == 3 ? wide : plain);
      const QModelIndex row = list->model()->index(static_cast<int>(widest - fill.begin()), 0);
      const QRect cell = list->visualRect(row);
      const int text = list->fontMetrics().horizontalAdvance(row.data().toString());
      QVERIFY2(cell.width() >= text && cell.width() <= std::max(text + 20, list->viewport()->width()),
               qPrintable(QString::number(cell.width())));
      QVERIFY(cell.right() < list->viewport()->width());
      if (fill.size() == 2) QCOMPARE(bar->maximum(), 0);
    }
  }

  // The tooltip of a 240-character name without a space shows the whole path
  // in lines that fit the screen, and markup in a name as it is.
  void aLongNamesTooltipStaysOnTheScreen() {
    Harness h;
    const PathString path = h.MakeFile(std::string(236, 'n') + "<b>.tmp", 1);
    SearchAndShow(h);
    QtResultsList* list = List1(h);
    const QPoint onLine(20, list->visualRect(list->model()->index(0, 0)).center().y());
    QHelpEvent help(QEvent::ToolTip, onLine, list->viewport()->mapToGlobal(onLine));
    QApplication::sendEvent(list->viewport(), &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QTextDocument shown;
    shown.setHtml(QToolTip::text());
    QCOMPARE(shown.toPlainText().remove(u'\n'), QString::fromStdString(path));
    QWidget* tip = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->inherits("QTipLabel") && w->isVisible()) tip = w;
    }
    QVERIFY(tip);
    QVERIFY2(tip->screen()->availableGeometry().contains(tip->frameGeometry()),
             qPrintable(QStringLiteral("%1 wide").arg(tip->width())));
    QToolTip::hideText();
  }

  // A new search starts the list at its first line and its left edge, with no
  // line selected; the Folder option shows it as the user left it.
  void aNewSearchStartsAtTheTopLeftAndFolderKeepsThePlace() {
    Harness h;
    for (int i = 0; i < 60; ++i) h.MakeFile(std::string(120, 'n') + std::to_string(i) + ".tmp", 1);
    SearchAndShow(h);
    QtResultsList* list = List1(h);
    SelectWithKeys(h, 59);
    list->horizontalScrollBar()->setValue(list->horizontalScrollBar()->maximum());
    const int down = list->verticalScrollBar()->value();
    const int across = list->horizontalScrollBar()->value();
    QVERIFY(down > 0 && across > 0);

    h.Click(h.Main(), "optFolder");
    h.Click(h.Main(), "cmdSearch");
    h.TickByHand(1);
    QApplication::processEvents();
    QCOMPARE(list->verticalScrollBar()->value(), down);
    QCOMPARE(list->horizontalScrollBar()->value(), across);
    QCOMPARE(SelectedRow(h), 59);

    h.Click(h.Main(), "optSearchAll");
    h.Click(h.Main(), "cmdSearch");
    h.TickByHand(1);
    QApplication::processEvents();
    QCOMPARE(list->verticalScrollBar()->value(), 0);
    QCOMPARE(list->horizontalScrollBar()->value(), 0);
    QCOMPARE(SelectedRow(h), -1);
  }

  void tabGoesRoundTheFocusChain() {
    Harness h;
    h.MakeFile("a.tmp", 1);
    SearchAndShow(h);
    // The chain itself is the description's (window_layout_test.cpp).
    const QStringList designed = FocusChain(h.Found());
    QCOMPARE(designed.size(), 4);
    for (qsizetype i = 0; i < designed.size(); ++i) {
      h.Control<QWidget>(h.Found(), qPrintable(designed[i]))->setFocus();
      PressKey(h.Found(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), designed[(i + 1) % designed.size()]);
    }
  }

  void enterAndEscapePressNoButtonWhereverTheFocusIs() {
    Harness h;
    h.MakeFile("a.tmp", 1);
    SearchAndShow(h);
    SelectWithKeys(h, 0);
    for (const QString& name : FocusChain(h.Found())) {
      h.Control<QWidget>(h.Found(), qPrintable(name))->setFocus();
      for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) PressKey(h.Found(), key);
      QVERIFY2(h.Found().isVisible(), qPrintable(name));
      QVERIFY2(Exists(h.Lines()[0]), qPrintable(name));
      QVERIFY2(h.messages.texts.empty(), qPrintable(name));
    }
  }
};

QTEST_MAIN(FoundWindowTest)
#include "found_window_test.moc"
