// A delete after the tree changed under a listed line: the search and the
// delete go through one file-system object, as in the program, over a drive
// that the Windows stage (scripts/test-windows.sh) made from the Linux side.
// After the search, each row changes the line's path from the Linux side, so
// that it leads to another file of the same name, or the line is a link to
// one; the delete must leave that file alone and fail as for a file that is
// gone. Beside them, the changes after which the line's file must still go.
//
// Wine shows a Unix link to a folder as Windows shows a junction (a folder
// with a reparse point), but opens through it whatever the flags; only the
// folders' identities stop the delete there.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>

#include "search/find_files.h"
#include "search/win32/wide_text.h"
#include "search/win32/win32_failure.h"
#include "tests/support/cannot_run_here.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/search_run.h"
#include "tests/win32/real_tree.h"

namespace dustvane::testing {
namespace {

// The tree, below DUSTVANE_WALKED_TREE: the drive DUSTVANE_WALKED_DRIVE is
// its folder "drive" (Wine's mapping DUSTVANE_WALKED_MAPPING), whose files
// are the lines' "x.tmp"; "outside", "other" and "mirror" (another
// drive's folder) hold the files of the same names that the changed
// paths lead to, and "saved" an older copy of one of the drive's folders.
//
// Wine gives a folder's modification time as its creation time, so it
// cannot tell a folder from one made again in its place (ext4 gives that one
// the old file ID too): there a line's file must also be the one listed (its
// file ID, size and last write time). A row that stands for what Windows
// keeps, a folder's creation time, puts the folder's times back.
struct ChangedPath {
  const char* what;
  const wchar_t* line;     // below the drive's root
  const char* change;      // a shell command, run in the tree's folder after the search; null for none
  const wchar_t* leadsTo;  // below the tree's folder: another file the line's path leads to now; null for none
  const wchar_t* link;     // below the tree's folder: a link the change made, shown as a junction; null for none
};
constexpr ChangedPath kChangedPaths[] = {
    {"a folder of the path becomes a link", L"c1\\a\\b\\x.tmp",
     "mv drive/c1/a drive/c1/a.moved && ln -s ../../outside/c1 drive/c1/a", L"outside\\c1\\b\\x.tmp",
     L"drive\\c1\\a"},
    {"the file's own folder becomes a link", L"c2\\a\\b\\x.tmp",
     "mv drive/c2/a/b drive/c2/a/b.moved && ln -s ../../../outside/c2 drive/c2/a/b", L"outside\\c2\\x.tmp",
     L"drive\\c2\\a\\b"},
    {"a folder of the path is made anew", L"c3\\a\\b\\x.tmp",
     "mv drive/c3/a drive/c3/a.moved && mkdir -p drive/c3/a/b && : >drive/c3/a/b/x.tmp", L"drive\\c3\\a\\b\\x.tmp",
     nullptr},
    // The links were there before the search, which lists them as the files
    // they lead to: Wine shows a Unix link to a file as that file.
    {"the line is a link to a file of its name outside the drive", L"c7\\a\\b\\x.tmp", nullptr,
     L"outside\\c7\\x.tmp", nullptr},
    {"the line is a link to another line's file", L"c8\\a\\b\\x.tmp", nullptr, L"drive\\c4\\a\\b\\x.tmp", nullptr},
    {"the line is a link to the same path on another drive", L"c9\\a\\b\\x.tmp", nullptr,
     L"mirror\\c9\\a\\b\\x.tmp", nullptr},
    // Wine gives the path of a file below "a." as below "a".
    {"the line is a link to the same path without a folder's last dot", L"c13\\a.\\b\\x.tmp", nullptr,
     L"drive\\c13\\a\\b\\x.tmp", nullptr},
    {"nothing changed beside a folder of its name and a dot", L"c13\\a\\b\\x.tmp", nullptr, nullptr, nullptr},
    {"nothing changed", L"c4\\a\\b\\x.tmp", nullptr, nullptr, nullptr},
    {"a file is added beside the line's", L"c10\\a\\b\\x.tmp", "printf added >drive/c10/a/b/y.tmp", nullptr, nullptr},
    {"the file is made anew in its folder", L"c5\\a\\b\\x.tmp",
     "touch -r drive/c5/a/b c5-times && rm drive/c5/a/b/x.tmp && : >drive/c5/a/b/x.tmp && "
     "touch -m -r c5-times drive/c5/a/b",
     L"drive\\c5\\a\\b\\x.tmp", nullptr},
    {"the file is replaced by a rename", L"c11\\a\\b\\x.tmp",
     "touch -r drive/c11/a/b c11-times && printf renamed >drive/c11/a/b/x.new && "
     "mv drive/c11/a/b/x.new drive/c11/a/b/x.tmp && touch -m -r c11-times drive/c11/a/b",
     L"drive\\c11\\a\\b\\x.tmp", nullptr},
    // The copy was made before the search, times included, and its file
    // written again since: its folders are the drive's own, with their times.
    {"the drive's folder is restored from an older copy", L"c12\\a\\b\\x.tmp", "cp -a saved/c12/. drive/c12/",
     L"drive\\c12\\a\\b\\x.tmp", nullptr},
    // Last: the others are on the drive it moves away.
    {"the drive names another folder", L"c6\\a\\b\\x.tmp", "ln -sfn \"$PWD/other\" \"$DUSTVANE_WALKED_MAPPING\"",
     L"other\\c6\\a\\b\\x.tmp", nullptr},
};

bool Exists(const PathString& path) { return GetFileAttributesW(Extended(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// The file ID of what `path` leads to, through every link on its way.
std::string FileIdOf(const PathString& path) {
  HANDLE file = CreateFileW(Extended(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "none";
  BY_HANDLE_FILE_INFORMATION information;
  const BOOL ok = GetFileInformationByHandle(file, &information);
  CloseHandle(file);
  if (!ok) return "none";
  return std::to_string(information.dwVolumeSerialNumber) + ":" + std::to_string(information.nFileIndexHigh) + ":" +
         std::to_string(information.nFileIndexLow);
}

TEST(WalkedDeleteTest, ALineIsRemovedOnlyThroughTheFoldersTheSearchWalked) {
  const PathString tree = Prepared(L"DUSTVANE_WALKED_TREE");
  const PathString drive = Prepared(L"DUSTVANE_WALKED_DRIVE");
  if (tree.empty() || drive.empty()) CANNOT_RUN_HERE("no drive prepared in DUSTVANE_WALKED_TREE and _DRIVE");

  std::unique_ptr<FileSystem> fs = MakeNativeFileSystem();
  RecordingResults results;
  RecordingMessages messages;
  ASSERT_TRUE(RunSearch(*fs, results, messages, drive).total.ok());
  ASSERT_EQ(results.lines.size(), std::size(kChangedPaths));

  for (const ChangedPath& row : kChangedPaths) {
    SCOPED_TRACE(row.what);
    const PathString line = drive + row.line;
    ASSERT_NE(std::find(results.lines.begin(), results.lines.end(), line), results.lines.end());
    if (row.change != nullptr) {
      ASSERT_EQ(RunOnLinuxSide(tree, row.change), 0) << "the change from the Linux side did not happen";
    }
    if (row.leadsTo != nullptr) {
      ASSERT_EQ(FileIdOf(line), FileIdOf(tree + row.leadsTo)) << "the line's path leads elsewhere now";
    }
    if (row.link != nullptr) {
      const DWORD junction = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
      ASSERT_EQ(GetFileAttributesW(Extended(tree + row.link).c_str()) & junction, junction);
    }

    const MaybeFailure failure = fs->RemoveFile(line);
    if (row.leadsTo == nullptr) {
      EXPECT_EQ(failure, std::nullopt);
      EXPECT_FALSE(Exists(line));
    } else {
      EXPECT_TRUE(Exists(tree + row.leadsTo)) << Utf8FromWide(row.leadsTo) << " was removed";
      EXPECT_EQ(failure ? ErrorMessageText(*failure) : "no failure", ErrorMessageText(Win32Failure(ERROR_FILE_NOT_FOUND)));
    }
  }
}

}  // namespace
}  // namespace dustvane::testing
