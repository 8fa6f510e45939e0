// What the results window's handlers do: deleting exactly the file on the
// selected line, reporting what cannot be deleted, and hiding with its
// contents until the next search.

#include <gtest/gtest.h>

#include "tests/ui/fake_windows.h"

namespace dustvane::testing {
namespace {

// Searches the local disk and leaves the results window showing.
void SearchAndShow(FakeWindows& w) {
  w.Main().cmdSearch_Click();
  w.Main().tmrAnimation_Timer();
}

TEST(FoundWindow, DeleteWithoutSelectionReportsAndChangesNothing) {
  FakeWindows w;
  w.fileSystem.AddFile(P("/disk/a.tmp"), 1);
  SearchAndShow(w);
  ASSERT_FALSE(w.List1.selected);  // nothing is selected after a search
  w.Found().cmdDelete_Click();
  ASSERT_EQ(w.messages.texts.size(), 1u);
  EXPECT_EQ(w.messages.titles[0], "Dustvane");
  EXPECT_EQ(w.messages.texts[0], ErrorMessageText(NoSuchFile()));
  EXPECT_TRUE(w.fileSystem.Exists(P("/disk/a.tmp")));
  EXPECT_EQ(w.List1.lines.size(), 1u);
  EXPECT_TRUE(w.foundWindow.visible);
}

TEST(FoundWindow, DeleteRemovesTheSelectedFileOnceThenReports) {
  FakeWindows w;
  w.fileSystem.AddFile(P("/disk/a.tmp"), 1);
  w.fileSystem.AddFile(P("/disk/b.tmp"), 1);
  SearchAndShow(w);
  const std::vector<PathString> lines = w.List1.lines;
  w.List1.selected = 1;

  w.Found().cmdDelete_Click();
  EXPECT_FALSE(w.fileSystem.Exists(lines[1]));
  EXPECT_TRUE(w.fileSystem.Exists(lines[0]));
  EXPECT_TRUE(w.messages.texts.empty());
  EXPECT_EQ(w.List1.lines, lines);  // the line stays, still selected
  EXPECT_EQ(w.Text3.text, "2");

  w.Found().cmdDelete_Click();
  ASSERT_EQ(w.messages.texts.size(), 1u);
  EXPECT_EQ(w.messages.texts[0], ErrorMessageText(NoSuchFile()));
  EXPECT_TRUE(w.fileSystem.Exists(lines[0]));
}

TEST(FoundWindow, AFileThatCannotBeRemovedStaysAndIsReported) {
  FakeWindows w;
  w.fileSystem.AddFile(P("/disk/locked.tmp"), 1, AttrReadOnly);
  SearchAndShow(w);
  w.List1.selected = 0;
  w.Found().cmdDelete_Click();
  EXPECT_TRUE(w.fileSystem.Exists(P("/disk/locked.tmp")));
  ASSERT_EQ(w.messages.texts.size(), 1u);
  EXPECT_EQ(w.messages.texts[0], ErrorMessageText(AccessDenied()));
}

TEST(FoundWindow, CloseHidesWithContentsAndTheNextSearchShowsAgain) {
  FakeWindows w;
  w.fileSystem.AddFile(P("/disk/a.tmp"), 1);
  w.fileSystem.AddFile(P("/disk/b.tmp"), 1);
  SearchAndShow(w);
  w.List1.selected = 1;
  w.Found().cmdClose_Click();
  EXPECT_FALSE(w.foundWindow.visible);
  EXPECT_EQ(w.List1.lines.size(), 2u);
  EXPECT_EQ(w.List1.selected, 1u);

  // Once hidden, ticks leave the search button as it is.
  w.cmdSearch.enabled = false;
  w.Main().tmrAnimation_Timer();
  EXPECT_FALSE(w.cmdSearch.enabled);
  w.cmdSearch.enabled = true;

  w.ChooseScope(w.optFolder);
  w.Main().cmdSearch_Click();
  EXPECT_TRUE(w.foundWindow.visible);
  EXPECT_EQ(w.List1.selected, 1u);
  w.Found().cmdClose_Click();

  w.ChooseScope(w.optSearchAll);
  w.Main().cmdSearch_Click();
  EXPECT_TRUE(w.foundWindow.visible);
  EXPECT_EQ(w.Text3.text, "2");
  EXPECT_FALSE(w.List1.selected);
  EXPECT_EQ(w.foundWindowsMade, 1);  // the same window every time
}

}  // namespace
}  // namespace dustvane::testing
