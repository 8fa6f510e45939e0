// The search's behaviour over a scripted file system: what it lists, in which
// order, what it counts and sums, and how each kind of failure ends.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "search/find_files.h"
#include "tests/support/fake_file_system.h"

namespace dustvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FindFilesTest : public ::testing::Test {
 protected:
  // Searches `root` for "*.tmp" with the counters as they stand.
  ByteTotal Search(const char* root) {
    PathString path = P(root);
    return SearchPath(path);
  }
  ByteTotal SearchPath(PathString& path) {
    Result<ByteTotal> total = FindFiles(context, path, pattern, fileCount, dirCount);
    EXPECT_TRUE(total.ok()) << total.failure().description;
    return total.ok() ? total.value() : ByteTotal(~uint64_t{0});
  }
  std::vector<PathString> Lines(std::initializer_list<const char*> paths) {
    std::vector<PathString> out;
    for (const char* p : paths) out.push_back(P(p));
    return out;
  }

  FakeFileSystem fs;
  RecordingResults results;
  RecordingMessages messages;
  SearchContext context{fs, results, messages};
  PathString pattern = DV_PATH("*.tmp");
  int16_t fileCount = 0;
  FolderCount dirCount = 0;
};

TEST_F(FindFilesTest, ListsOwnMatchesFirstThenEachSubtreeInEnumerationOrder) {
  fs.AddFolder(P("/r"));
  fs.AddFolder(P("/r/zeta"));
  fs.AddFile(P("/r/zeta/deep.tmp"), 1);
  fs.AddFile(P("/r/b.TMP"), 10);
  fs.AddFolder(P("/r/alpha"));
  fs.AddFolder(P("/r/alpha/inner"));
  fs.AddFile(P("/r/alpha/inner/x.Tmp"), 100);
  fs.AddFile(P("/r/alpha/y.tmp"), 1000);
  fs.AddFile(P("/r/a.tmp"), 10000);
  fs.AddFile(P("/r/notes.tmpl"), 7);
  fs.AddFile(P("/r/tmp"), 7);

  EXPECT_EQ(Search("/r"), 11111);
  EXPECT_EQ(results.lines, Lines({"/r/b.TMP", "/r/a.tmp", "/r/zeta/deep.tmp", "/r/alpha/y.tmp",
                                  "/r/alpha/inner/x.Tmp"}));
  EXPECT_EQ(fileCount, 5);
  EXPECT_EQ(dirCount, 3);
  EXPECT_THAT(messages.texts, IsEmpty());
}

TEST_F(FindFilesTest, RootGetsATrailingSeparatorInTheCallersVariable) {
  fs.AddFile(P("/r/a.tmp"), 3);
  PathString root = P("/r");
  EXPECT_EQ(SearchPath(root), 3);
  EXPECT_EQ(root, P("/r/"));
  EXPECT_EQ(results.lines, Lines({"/r/a.tmp"}));

  PathString empty;
  SearchPath(empty);
  EXPECT_EQ(empty, P("/"));
}

TEST_F(FindFilesTest, EmptyFoldersAddNothingAndDotEntriesAreNeverCountedOrEntered) {
  fs.AddFolder(P("/r/empty"));
  EXPECT_EQ(Search("/r"), 0);
  EXPECT_THAT(results.lines, IsEmpty());
  EXPECT_EQ(fileCount, 0);
  EXPECT_EQ(dirCount, 1);  // "empty" only, never "." or ".."
  EXPECT_EQ(fs.EnumFirstCalls().size(), 4u);  // two passes in each of the two folders
}

TEST_F(FindFilesTest, FolderNamedLikeAMatchIsSearchedButNotListed) {
  fs.AddFolder(P("/r/old.tmp"));
  fs.AddFile(P("/r/old.tmp/inside.tmp"), 5);
  EXPECT_EQ(Search("/r"), 5);
  EXPECT_EQ(results.lines, Lines({"/r/old.tmp/inside.tmp"}));
  EXPECT_EQ(dirCount, 1);
}

TEST_F(FindFilesTest, AttributesDecideWhatIsListedAndEntered) {
  fs.AddFile(P("/r/hidden.tmp"), 1, AttrHidden);
  fs.AddFile(P("/r/system.tmp"), 2, AttrSystem | AttrHidden);
  fs.AddFile(P("/r/readonly.tmp"), 4, AttrReadOnly);
  fs.AddFolder(P("/r/.hiddendir"), AttrHidden);
  fs.AddFile(P("/r/.hiddendir/h.tmp"), 8);
  fs.AddFolder(P("/r/sysdir"), AttrSystem);
  fs.AddFile(P("/r/sysdir/never.tmp"), 16);
  fs.AddFolder(P("/r/sysdir/below"));

  EXPECT_EQ(Search("/r"), 15);
  EXPECT_EQ(results.lines,
            Lines({"/r/hidden.tmp", "/r/system.tmp", "/r/readonly.tmp", "/r/.hiddendir/h.tmp"}));
  EXPECT_EQ(dirCount, 1);  // the hidden folder; the system folder and all below it are skipped
}

TEST_F(FindFilesTest, TotalBeyondThirtyTwoBitsIsExact) {
  fs.AddFile(P("/r/a.tmp"), 2147483647);
  fs.AddFile(P("/r/b.tmp"), 2147483647);
  fs.AddFile(P("/r/sub/c.tmp"), 5000000000);
  EXPECT_EQ(Search("/r"), 2147483647LL * 2 + 5000000000LL);
}

// --- failures, place by place -------------------------------------------

TEST_F(FindFilesTest, FolderThatCannotBeEnumeratedIsReportedAndItsSiblingsStillSearched) {
  fs.AddFolder(P("/r/locked"));
  fs.AddFile(P("/r/locked/x.tmp"), 1);
  fs.AddFile(P("/r/open/y.tmp"), 2);
  fs.FailEnumFirst(P("/r/locked"), {5, "Input/output error"});

  EXPECT_EQ(Search("/r"), 2);
  EXPECT_THAT(messages.texts, ElementsAre("Error: 5 - Input/output error"));
  EXPECT_THAT(messages.titles, ElementsAre("Unexpected Error"));
  EXPECT_EQ(results.lines, Lines({"/r/open/y.tmp"}));
}

TEST_F(FindFilesTest, FailureOnADotSysEntryIsSilentAndThePassGoesOn) {
  fs.AddFile(P("/r/pagefile.sys"));
  fs.AddFolder(P("/r/after"));
  fs.AddFile(P("/r/after/x.tmp"), 1);
  fs.AddFile(P("/r/mine.tmp"), 2);
  fs.FailAttributes(P("/r/pagefile.sys"), AccessDenied());

  EXPECT_EQ(Search("/r"), 3);
  EXPECT_THAT(messages.texts, IsEmpty());
  EXPECT_EQ(results.lines, Lines({"/r/mine.tmp", "/r/after/x.tmp"}));
}

TEST_F(FindFilesTest, FailureOnAnUpperCaseSysEntryEndsTheLevelBeforeItsFilePass) {
  fs.AddFolder(P("/r/first"));
  fs.AddFile(P("/r/first/f.tmp"), 1);
  fs.AddFile(P("/r/HIBERFIL.SYS"));
  fs.AddFolder(P("/r/second"));
  fs.AddFile(P("/r/own.tmp"), 2);
  fs.AddFile(P("/other/o.tmp"), 4);
  fs.FailAttributes(P("/r/HIBERFIL.SYS"), AccessDenied());

  EXPECT_EQ(Search("/r"), 0);
  EXPECT_THAT(messages.texts, ElementsAre("Error: 13 - Permission denied"));
  EXPECT_THAT(results.lines, IsEmpty());  // no file pass, no sub-folders
  EXPECT_EQ(dirCount, 1);                 // "first" was counted before the failure
}

TEST_F(FindFilesTest, EntryThatVanishesBeforeItsAttributeQueryEndsOnlyItsLevel) {
  fs.AddFolder(P("/r/a"));
  fs.AddFile(P("/r/a/gone.txt"));
  fs.AddFile(P("/r/a/a.tmp"), 1);
  fs.AddFolder(P("/r/a/under"));
  fs.AddFile(P("/r/a/under/u.tmp"), 2);
  fs.AddFolder(P("/r/b"));
  fs.AddFile(P("/r/b/b.tmp"), 4);
  fs.FailAttributes(P("/r/a/gone.txt"), NoSuchFile());

  EXPECT_EQ(Search("/r"), 4);
  EXPECT_THAT(messages.texts, ElementsAre("Error: 2 - No such file or directory"));
  EXPECT_EQ(results.lines, Lines({"/r/b/b.tmp"}));
}

TEST_F(FindFilesTest, FileThatVanishesBeforeItsLengthQueryKeepsWhatWasAddedBefore) {
  fs.AddFile(P("/r/a/1.tmp"), 1);
  fs.AddFile(P("/r/a/2.tmp"), 2);
  fs.AddFile(P("/r/a/3.tmp"), 4);
  fs.AddFile(P("/r/a/sub/4.tmp"), 8);
  fs.AddFile(P("/r/b/5.tmp"), 16);
  fs.FailLength(P("/r/a/2.tmp"), NoSuchFile());

  EXPECT_EQ(Search("/r"), 17);
  EXPECT_THAT(messages.texts, ElementsAre("Error: 2 - No such file or directory"));
  EXPECT_EQ(results.lines, Lines({"/r/a/1.tmp", "/r/b/5.tmp"}));
}

TEST_F(FindFilesTest, ResultsListRefusingALineEndsThatLevel) {
  fs.AddFile(P("/r/a.tmp"), 1);
  fs.AddFile(P("/r/b.tmp"), 2);
  fs.AddFile(P("/r/sub/c.tmp"), 4);
  results.refuse = P("/r/a.tmp");

  EXPECT_EQ(Search("/r"), 1);  // counted and summed, then refused
  EXPECT_EQ(fileCount, 1);
  EXPECT_THAT(messages.texts, ElementsAre("Error: 7 - Out of memory"));
  EXPECT_THAT(results.lines, IsEmpty());
}

TEST_F(FindFilesTest, EnumNextFailingOnceAfterADotSysEntryResumesThePass) {
  fs.AddFile(P("/r/x.sys"));
  fs.AddFolder(P("/r/later"));
  fs.AddFile(P("/r/later/l.tmp"), 3);
  fs.FailEnumNextAfter(P("/r"), DV_PATH("x.sys"), {5, "Input/output error"}, 1);

  EXPECT_EQ(Search("/r"), 3);
  EXPECT_THAT(messages.texts, IsEmpty());
  EXPECT_EQ(results.lines, Lines({"/r/later/l.tmp"}));
}

TEST_F(FindFilesTest, EnumNextFailingForEverAfterADotSysEntryEndsTheLevelWithOneMessage) {
  fs.AddFile(P("/r/a/x.sys"));
  fs.AddFile(P("/r/a/mine.tmp"), 1);
  fs.AddFile(P("/r/b/other.tmp"), 2);
  fs.FailEnumNextAfter(P("/r/a"), DV_PATH("x.sys"), {5, "Input/output error"});

  EXPECT_EQ(Search("/r"), 2);
  EXPECT_EQ(fs.EnumNextFailuresGiven(), 2);
  EXPECT_THAT(messages.texts, ElementsAre("Error: 5 - Input/output error"));
  EXPECT_EQ(results.lines, Lines({"/r/b/other.tmp"}));
}

TEST_F(FindFilesTest, EnumNextFailingAfterAnOrdinaryEntryIsReported) {
  fs.AddFile(P("/r/plain.txt"));
  fs.AddFile(P("/r/a.tmp"), 1);
  fs.FailEnumNextAfter(P("/r"), DV_PATH("plain.txt"), {5, "Input/output error"}, 1);

  EXPECT_EQ(Search("/r"), 0);
  EXPECT_THAT(messages.texts, ElementsAre("Error: 5 - Input/output error"));
}

TEST_F(FindFilesTest, MessageThatCannotBeShownPassesToTheCallingLevel) {
  fs.AddFile(P("/r/a/bad.tmp"), 1);
  fs.AddFile(P("/r/b/never.tmp"), 2);
  fs.AddFile(P("/r/own.tmp"), 4);
  fs.FailLength(P("/r/a/bad.tmp"), NoSuchFile());
  messages.failNextShows = 1;

  // The level of /r/a fails to show its message; /r handles that as a failure
  // of its sub-folder step: it reports it and skips its remaining sub-folders.
  EXPECT_EQ(Search("/r"), 4);
  EXPECT_THAT(messages.texts,
              ElementsAre("Error: 2 - No such file or directory", "Error: 5 - Input/output error"));
  EXPECT_EQ(results.lines, Lines({"/r/own.tmp"}));
}

TEST_F(FindFilesTest, FailureThatNoLevelCanReportReachesTheCaller) {
  fs.AddFile(P("/r/a/bad.tmp"), 1);
  fs.FailLength(P("/r/a/bad.tmp"), NoSuchFile());
  messages.failNextShows = 2;
  PathString root = P("/r");
  Result<ByteTotal> total = FindFiles(context, root, pattern, fileCount, dirCount);
  ASSERT_FALSE(total.ok());
  EXPECT_EQ(total.failure().number, 5);
}

// --- the file count ---------------------------------------------------------

TEST_F(FindFilesTest, FileCountStopsAt32767AndTheOverflowingMatchIsSummedButNotListed) {
  for (int i = 0; i < 32768; ++i) {
    fs.AddFile(P(("/r/big/f" + std::to_string(i) + ".tmp").c_str()), 1);
  }
  fs.AddFile(P("/r/big/sub/never.tmp"), 100);
  fs.AddFile(P("/r/more/m.tmp"), 1000);

  // Each folder's first match is summed before its count fails.
  EXPECT_EQ(Search("/r"), 32768 + 1000);
  EXPECT_EQ(fileCount, 32767);
  EXPECT_EQ(results.lines.size(), 32767u);
  // Every later folder holding a match fails the same way, one message each.
  EXPECT_THAT(messages.texts, ElementsAre("Error: 6 - Overflow", "Error: 6 - Overflow"));
}

TEST(ErrorMessageTextTest, NumberIsPlainDecimalWithItsSign) {
  EXPECT_EQ(ErrorMessageText({6, "Overflow"}), "Error: 6 - Overflow");
  EXPECT_EQ(ErrorMessageText({-2147024891, "Access is denied."}), "Error: -2147024891 - Access is denied.");
}

}  // namespace
}  // namespace dustvane::testing
