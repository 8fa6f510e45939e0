// What the main window's handlers do: the scope options, the search command
// with its busy state, the activity bar's timer and the exit command.

#include <gtest/gtest.h>

#include "tests/ui/fake_windows.h"
#include "ui/path_text.h"

namespace dustvane::testing {
namespace {

void Tick(FakeWindows& w, int ticks = 1) {
  for (int i = 0; i < ticks; ++i) w.Main().tmrAnimation_Timer();
}

std::string SummaryOf(const PathString& rootAfterSearch, const std::string& total) {
  return "Size of files found under " + DisplayPath(rootAfterSearch) + " = " + total + " Bytes";
}

TEST(MainWindow, ScopeOptionsEnableAndDisableTheDriveList) {
  FakeWindows w;
  w.Main().optDrive_Click();
  EXPECT_TRUE(w.Drive1.enabled);
  w.Main().optDrive_Click();
  EXPECT_TRUE(w.Drive1.enabled);
  w.Main().optSearchAll_Click();
  EXPECT_FALSE(w.Drive1.enabled);
}

TEST(MainWindow, SearchIsBusyUntilTheNextTickThenIdle) {
  FakeWindows w;
  w.fileSystem.AddFile(P("/disk/a.tmp"), 3);
  w.Main().cmdSearch_Click();

  EXPECT_EQ(w.cmdSearch.caption, "...Searching...");
  EXPECT_FALSE(w.cmdSearch.enabled);
  EXPECT_TRUE(w.ProgressBar1.visible);
  EXPECT_TRUE(w.foundWindow.visible);
  EXPECT_EQ(w.pointer.shown, (std::vector{PointerShape::Hourglass, PointerShape::Default}));
  EXPECT_TRUE(w.tmrAnimation.enabled);
  // A finished search keeps no folder open (a removable disk stays free).
  EXPECT_FALSE(w.fileSystem.HoldsFolderOpen());

  Tick(w);
  EXPECT_TRUE(w.cmdSearch.enabled);
  EXPECT_EQ(w.cmdSearch.caption, "Search For Temporary Files");  // no access key from here on
  EXPECT_FALSE(w.ProgressBar1.visible);
}

TEST(MainWindow, BusyStateIsPaintedBeforeTheWalkWithTheTimerHeld) {
  FakeWindows w;
  w.fileSystem.AddFile(P("/disk/a.tmp"));
  int paints = 0;
  w.mainWindow.onPaint = [&] {
    ++paints;
    EXPECT_EQ(w.cmdSearch.caption, "...Searching...");
    EXPECT_FALSE(w.cmdSearch.enabled);
    EXPECT_TRUE(w.ProgressBar1.visible);
    EXPECT_FALSE(w.tmrAnimation.enabled);
    EXPECT_TRUE(w.fileSystem.EnumFirstCalls().empty());
  };
  w.Main().cmdSearch_Click();
  EXPECT_EQ(paints, 1);
  EXPECT_FALSE(w.fileSystem.EnumFirstCalls().empty());
}

TEST(MainWindow, BarStepsByTwoAndWrapsAtHundredWhetherShownOrNot) {
  FakeWindows w;
  Tick(w);
  EXPECT_EQ(w.ProgressBar1.value, 2.0f);
  EXPECT_EQ(w.foundWindowsMade, 1);  // the first tick made the results window, hidden
  EXPECT_FALSE(w.foundWindow.visible);
  EXPECT_EQ(w.cmdSearch.caption, "&Search For Temporary Files");
  Tick(w, 48);
  EXPECT_EQ(w.ProgressBar1.value, 98.0f);
  Tick(w);
  EXPECT_EQ(w.ProgressBar1.value, 100.0f);
  Tick(w);
  EXPECT_EQ(w.ProgressBar1.value, 0.0f);
  EXPECT_FALSE(w.ProgressBar1.visible);
  Tick(w, 51);  // a full cycle
  EXPECT_EQ(w.ProgressBar1.value, 0.0f);
  EXPECT_EQ(w.foundWindowsMade, 1);
}

TEST(MainWindow, BarShowsWhereItStoodAndStandsStillDuringTheSearch) {
  FakeWindows w;
  Tick(w, 7);
  w.Main().cmdSearch_Click();
  EXPECT_TRUE(w.ProgressBar1.visible);
  EXPECT_EQ(w.ProgressBar1.value, 14.0f);
  Tick(w);
  EXPECT_FALSE(w.ProgressBar1.visible);
  EXPECT_EQ(w.ProgressBar1.value, 16.0f);
}

TEST(MainWindow, FolderChoiceShowsTheResultsUnchangedAndLeavesThePointer) {
  FakeWindows w;
  w.fileSystem.AddFile(P("/disk/one.tmp"), 1);
  w.Main().cmdSearch_Click();
  Tick(w);
  w.Found().cmdClose_Click();
  w.fileSystem.AddFile(P("/disk/two.tmp"), 1);
  w.pointer.shown.clear();

  w.ChooseScope(w.optFolder);
  w.Main().cmdSearch_Click();
  EXPECT_TRUE(w.pointer.shown.empty());
  EXPECT_TRUE(w.foundWindow.visible);
  EXPECT_EQ(w.List1.lines, std::vector{P("/disk/one.tmp")});
  EXPECT_EQ(w.Text3.text, "1");
  EXPECT_TRUE(w.ProgressBar1.visible);
  EXPECT_FALSE(w.cmdSearch.enabled);
  Tick(w);
  EXPECT_TRUE(w.cmdSearch.enabled);
  EXPECT_FALSE(w.ProgressBar1.visible);
}

TEST(MainWindow, FolderChoiceBeforeAnySearchShowsAnEmptyWindow) {
  FakeWindows w;
  w.fileSystem.AddFile(P("/disk/a.tmp"));
  w.ChooseScope(w.optFolder);
  w.Main().cmdSearch_Click();
  EXPECT_TRUE(w.foundWindow.visible);
  EXPECT_TRUE(w.List1.lines.empty());
  EXPECT_EQ(w.Text3.text, "");
  EXPECT_TRUE(w.fileSystem.EnumFirstCalls().empty());
}

TEST(MainWindow, LocalDiskSearchWritesListCountAndSummary) {
  FakeWindows w;
  w.fileSystem.AddFile(P("/disk/a.tmp"), 1000);
  w.fileSystem.AddFolder(P("/disk/sub"));
  w.fileSystem.AddFile(P("/disk/sub/B.TMP"), 234);
  w.fileSystem.AddFile(P("/disk/sub/c.txt"), 5000);
  w.Main().cmdSearch_Click();
  EXPECT_EQ(w.List1.lines, (std::vector{P("/disk/a.tmp"), P("/disk/sub/B.TMP")}));
  EXPECT_EQ(w.Text3.text, "2");
  EXPECT_EQ(w.txtSizeSummary.text, SummaryOf(P("/disk/"), "1,234"));
}

TEST(MainWindow, EmptySearchGivesZeroCountAndZeroBytes) {
  FakeWindows w;
  w.fileSystem.AddFile(P("/disk/nothing.txt"), 10);
  w.Main().cmdSearch_Click();
  EXPECT_EQ(w.Text3.text, "0");
  EXPECT_TRUE(w.List1.lines.empty());
  EXPECT_EQ(w.txtSizeSummary.text, SummaryOf(P("/disk/"), "0"));
}

TEST(MainWindow, TotalBeyondTwoGigabytesIsShownExactlyWithTheUsersSeparator) {
  FakeWindows w;
  w.context.thousandsSeparator = ".";
  w.fileSystem.AddFile(P("/disk/big1.tmp"), 3'000'000'000LL);
  w.fileSystem.AddFile(P("/disk/big2.tmp"), 1'500'000'001LL);
  w.Main().cmdSearch_Click();
  EXPECT_EQ(w.txtSizeSummary.text, SummaryOf(P("/disk/"), "4.500.000.001"));
}

TEST(MainWindow, DriveScopeSearchesTheChosenDriveOnlyAndEmptiesTheSummary) {
  FakeWindows w;
  w.fileSystem.AddFile(P("/disk/a.tmp"), 7);
  w.fileSystem.AddFile(P("/drive/x.tmp"), 9);
  w.Main().cmdSearch_Click();  // local disk first: its summary must not stay
  ASSERT_NE(w.txtSizeSummary.text, "");
  Tick(w);

  w.ChooseScope(w.optDrive);
  w.Main().cmdSearch_Click();
  EXPECT_EQ(w.List1.lines, std::vector{P("/drive/x.tmp")});
  EXPECT_EQ(w.Text3.text, "1");
  EXPECT_EQ(w.txtSizeSummary.text, "");
  EXPECT_EQ(w.pointer.shown.back(), PointerShape::Default);

  // With no drive chosen (the one chosen proved no drive) nothing is
  // searched, not even the root an empty path would make.
  Tick(w);
  w.Drive1.drive.clear();
  const size_t searchesBefore = w.fileSystem.EnumFirstCalls().size();
  w.Main().cmdSearch_Click();
  EXPECT_EQ(w.fileSystem.EnumFirstCalls().size(), searchesBefore);
  EXPECT_EQ(w.messages.texts, std::vector{ErrorMessageText(PathNotFoundFailure())});
  EXPECT_TRUE(w.List1.lines.empty());
  EXPECT_EQ(w.Text3.text, "0");
  EXPECT_TRUE(w.foundWindow.visible);
}

TEST(MainWindow, SecondSearchStartsAfresh) {
  FakeWindows w;
  w.fileSystem.AddFile(P("/disk/a.tmp"), 1);
  w.fileSystem.AddFile(P("/disk/b.tmp"), 1);
  w.Main().cmdSearch_Click();
  EXPECT_EQ(w.Text3.text, "2");
  Tick(w);
  ASSERT_FALSE(w.fileSystem.RemoveFile(P("/disk/b.tmp")));
  w.Main().cmdSearch_Click();  // the results window is still showing
  EXPECT_EQ(w.Text3.text, "1");
  EXPECT_EQ(w.List1.lines, std::vector{P("/disk/a.tmp")});
  EXPECT_EQ(w.txtSizeSummary.text, SummaryOf(P("/disk/"), "1"));
  EXPECT_TRUE(w.foundWindow.visible);
}

TEST(MainWindow, NoTickCanEndTheBusyStateWhileASearchMessageIsOpen) {
  FakeWindows w;
  w.fileSystem.AddFolder(P("/disk/sub"));
  w.fileSystem.AddFile(P("/disk/sub/bad.tmp"), 1);
  w.fileSystem.FailLength(P("/disk/sub/bad.tmp"), AccessDenied());
  w.Main().cmdSearch_Click();  // the results window stays visible from here on
  Tick(w);
  bool timerEnabled = true;
  w.messages.onShow = [&] { timerEnabled = w.tmrAnimation.enabled; };
  w.Main().cmdSearch_Click();
  ASSERT_EQ(w.messages.texts.size(), 2u);
  EXPECT_EQ(w.messages.texts[1], ErrorMessageText(AccessDenied()));
  EXPECT_FALSE(timerEnabled);
  EXPECT_TRUE(w.tmrAnimation.enabled);  // ticking again once the search is over
}

TEST(MainWindow, FailurePassedOnBySearchIsReportedAndTheWindowRecovers) {
  FakeWindows w;
  w.fileSystem.AddFile(P("/disk/good.tmp"), 4);
  w.fileSystem.AddFolder(P("/disk/sub"));
  w.fileSystem.AddFile(P("/disk/sub/bad.tmp"), 1);
  w.fileSystem.FailLength(P("/disk/sub/bad.tmp"), AccessDenied());
  // The message box fails at both levels of the walk, so the failure leaves
  // the search altogether.
  w.messages.failNextShows = 2;
  w.Main().cmdSearch_Click();

  ASSERT_EQ(w.messages.texts.size(), 3u);
  EXPECT_EQ(w.messages.titles[2], "Unexpected Error");
  EXPECT_EQ(w.messages.texts[2], ErrorMessageText(Failure{5, "Input/output error"}));
  EXPECT_EQ(w.List1.lines, std::vector{P("/disk/good.tmp")});
  EXPECT_EQ(w.Text3.text, "1");
  EXPECT_EQ(w.txtSizeSummary.text, "");  // no total, nothing true to say
  EXPECT_EQ(w.pointer.shown.back(), PointerShape::Default);
  EXPECT_FALSE(w.fileSystem.HoldsFolderOpen());
  EXPECT_TRUE(w.foundWindow.visible);
  EXPECT_TRUE(w.tmrAnimation.enabled);
  Tick(w);
  EXPECT_TRUE(w.cmdSearch.enabled);
}

TEST(MainWindow, RunningOutOfMemoryEndsTheSearchWithAMessage) {
  FakeWindows w;
  w.fileSystem.AddFile(P("/disk/a.tmp"), 1);
  w.fileSystem.AddFile(P("/disk/b.tmp"), 1);
  w.List1.outOfMemoryAt = P("/disk/b.tmp");
  w.Main().cmdSearch_Click();
  ASSERT_FALSE(w.messages.texts.empty());
  EXPECT_EQ(w.messages.texts.back(), ErrorMessageText(OutOfMemoryFailure()));
  EXPECT_EQ(w.List1.lines, std::vector{P("/disk/a.tmp")});
  EXPECT_EQ(w.pointer.shown.back(), PointerShape::Default);
  EXPECT_TRUE(w.foundWindow.visible);
  Tick(w);
  EXPECT_TRUE(w.cmdSearch.enabled);
}

TEST(MainWindow, ExitHidesBothWindowsStopsTheTimerAndEndsTheProgram) {
  FakeWindows w;
  w.Main().cmdSearch_Click();  // busy, with the results window showing
  w.Main().cmdExit_Click();
  EXPECT_EQ(w.programEnded, 1);
  EXPECT_FALSE(w.mainWindow.visible);
  EXPECT_FALSE(w.foundWindow.visible);
  EXPECT_FALSE(w.tmrAnimation.enabled);
}

}  // namespace
}  // namespace dustvane::testing
