// A search and the deletes of its lines over trees that Windows' own lookup
// reads more loosely than the listing does: case twins, short names, names
// that are not text or that the path parser refuses, and folders changed
// while the walk runs or after it. Each row's tree is made from the Linux side
// of Wine's C: drive (on ext4, which gives a folder made again its old file
// ID), where any name can be made; Delete must take exactly the entry a line
// names, or nothing.
//
// What Wine shows of these: every Unix folder lists case twins, as a folder
// of Windows 10 marked case-sensitive does; it gives each long name a short
// name of its own ("notes.tmpl" is "NOTE~XCL.TMP") and finds a file by it; it
// turns bytes that are not UTF-8 into U+FFFD, so that two names read the same;
// and it opens through a link whatever a program asks.

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "search/find_files.h"
#include "search/win32/wide_text.h"
#include "search/win32/win32_failure.h"
#include "tests/support/cannot_run_here.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/search_run.h"
#include "tests/win32/real_tree.h"

namespace dustvane::testing {
namespace {

using ::testing::UnorderedElementsAreArray;

struct Deletion {
  const wchar_t* line;  // below the searched folder
  DWORD error;          // what Delete says: 0 for no message
};

// Shell commands run in the searched folder "t", from the Linux side; the
// folder above it is outside the search. Each file holds as many bytes as
// the digits written into it.
struct HostileTree {
  const char* what;
  const char* make;                  // before the search
  const wchar_t* when;               // the line whose listing runs `during`; null for none
  const char* during;                // while the search stands on that line
  const char* after;                 // after the search, before the deletes; must succeed
  std::vector<const wchar_t*> lines; // what the search lists, in any order
  int64_t total;
  std::vector<DWORD> messages;       // the errors the search shows, in order
  const wchar_t* held;               // held open through the deletes, let go before `left`; null for none
  std::vector<Deletion> deletions;
  const char* left;                  // must hold at the end
};

// The names below with bytes that are not UTF-8 (\377), beside names holding
// U+FFFD itself (\357\277\275), which Wine lists the same.
const HostileTree kTrees[] = {
    {"case twins deleted twice", "printf 1 >a.tmp && printf 22 >A.TMP", nullptr, nullptr, nullptr,
     {L"a.tmp", L"A.TMP"}, 3, {}, nullptr,
     {{L"A.TMP", 0}, {L"A.TMP", ERROR_FILE_NOT_FOUND}}, "test -e a.tmp && ! test -e A.TMP"},
    {"a short-name twin", "printf 1 >notes.tmpl && printf 22 >NOTE~XCL.TMP", nullptr, nullptr, nullptr,
     {L"NOTE~XCL.TMP"}, 2, {}, nullptr,
     {{L"NOTE~XCL.TMP", 0}, {L"NOTE~XCL.TMP", ERROR_FILE_NOT_FOUND}},
     "test -e notes.tmpl && ! test -e NOTE~XCL.TMP"},
    {"names that differ only in bytes that are not text",
     "printf 1 >\"$(printf 'n\\377.tmp')\" && printf 22 >\"$(printf 'n\\357\\277\\275.tmp')\" && "
     "mkdir \"$(printf 'd\\377')\" \"$(printf 'd\\357\\277\\275')\" && "
     "printf 333 >\"$(printf 'd\\377/x.tmp')\" && printf 4444 >\"$(printf 'd\\357\\277\\275/x.tmp')\"",
     nullptr, nullptr, nullptr, {L"n\uFFFD.tmp", L"d\uFFFD\\x.tmp"}, 6, {}, nullptr,
     {{L"n\uFFFD.tmp", 0}, {L"n\uFFFD.tmp", ERROR_FILE_NOT_FOUND}, {L"d\uFFFD\\x.tmp", 0}},
     "test -e \"$(printf 'n\\377.tmp')\" && test -e \"$(printf 'd\\377/x.tmp')\" && "
     "! test -e \"$(printf 'n\\357\\277\\275.tmp')\" && ! test -e \"$(printf 'd\\357\\277\\275/x.tmp')\""},
    // "a" keeps its times, so that "b" alone tells: under Wine a folder's
    // creation time is its modification time.
    {"a folder made again on an ext4-backed drive",
     "mkdir -p a/b && printf 1 >a/b/x.tmp && stat -c %i a/b >../inode && touch -r a ../a-time", nullptr, nullptr,
     "rm -r a/b && mkdir a/b && printf 22 >a/b/x.tmp && touch -m -r ../a-time a && "
     "test \"$(stat -c %i a/b)\" = \"$(cat ../inode)\"",
     {L"a\\b\\x.tmp"}, 1, {}, nullptr, {{L"a\\b\\x.tmp", ERROR_FILE_NOT_FOUND}}, "test -e a/b/x.tmp"},
    // The root's own match is listed before any of its sub-folders is opened.
    {"a link made in the middle of the walk",
     "mkdir -p a2 ../outside && printf 1 >first.tmp && printf 22 >a2/y.tmp && printf 333 >../outside/z.tmp",
     L"first.tmp", "mv a2 ../a2.moved && ln -s ../outside a2", nullptr, {L"first.tmp"}, 1,
     {ERROR_PATH_NOT_FOUND}, nullptr, {{L"a2\\z.tmp", ERROR_FILE_NOT_FOUND}}, "test -e ../outside/z.tmp"},
    // A name holding "\" cannot be told from a path: it is passed over, and
    // the line of the real r\back\slash.tmp leads to that file alone.
    {"refused names in a folder beside ordinary matches",
     "mkdir -p r/sub r/back && printf 1 >'r/st*r.tmp' && printf 22 >'r/q?.tmp' && printf 333 >'r/\"<|>.tmp' && "
     "printf 4444 >\"$(printf 'r/c\\001.tmp')\" && printf 5 >'r/back\\slash.tmp' && printf 66 >r/back/slash.tmp && "
     "printf 777 >r/ok.tmp && printf 8888 >r/sub/deep.tmp",
     nullptr, nullptr, nullptr,
     {L"r\\st*r.tmp", L"r\\q?.tmp", L"r\\\"<|>.tmp", L"r\\c\x01.tmp", L"r\\back\\slash.tmp", L"r\\ok.tmp",
      L"r\\sub\\deep.tmp"},
     19, {}, nullptr,
     {{L"r\\st*r.tmp", ERROR_INVALID_NAME}, {L"r\\ok.tmp", 0}, {L"r\\back\\slash.tmp", 0}},
     "test -e 'r/st*r.tmp' && test -e 'r/back\\slash.tmp' && ! test -e r/ok.tmp && ! test -e r/back/slash.tmp"},
    {"a rename during the walk",
     "mkdir -p a/b/c1 a/b/c2 a/b/c3 && printf 1 >a/b/first.tmp && printf 22 >a/b/c1/x.tmp && "
     "printf 333 >a/b/c2/y.tmp && printf 4444 >a/b/c3/z.tmp",
     L"a\\b\\first.tmp", "mv a/b a/renamed", nullptr,
     {L"a\\b\\first.tmp", L"a\\b\\c1\\x.tmp", L"a\\b\\c2\\y.tmp", L"a\\b\\c3\\z.tmp"}, 10, {}, nullptr,
     {{L"a\\b\\c1\\x.tmp", ERROR_FILE_NOT_FOUND}}, "test -e a/renamed/c1/x.tmp"},
    // Without the system's newer delete, which Wine lacks, a file another
    // program holds open stays until that program lets go, and then goes:
    // Delete took it, so it says nothing, on a second press too.
    {"a file another program holds open", "printf 1 >held.tmp", nullptr, nullptr, nullptr, {L"held.tmp"}, 1, {},
     L"held.tmp", {{L"held.tmp", 0}, {L"held.tmp", 0}}, "! test -e held.tmp"},
    {"the untouched files, which must still go", "mkdir u && printf 1 >u/x.tmp && printf 22 >u/y.tmp", nullptr,
     nullptr, nullptr, {L"u\\x.tmp", L"u\\y.tmp"}, 3, {}, nullptr, {{L"u\\x.tmp", 0}, {L"u\\y.tmp", 0}},
     "! test -e u/x.tmp && ! test -e u/y.tmp"},
};

std::vector<std::string> MessagesOf(const std::vector<DWORD>& errors) {
  std::vector<std::string> texts;
  for (const DWORD error : errors) texts.push_back(ErrorMessageText(Win32Failure(error)));
  return texts;
}

std::string Outcome(const MaybeFailure& failure) { return failure ? ErrorMessageText(*failure) : "no message"; }

TEST(HostileTreeTest, DeleteTakesExactlyTheEntryALineNamesOrNothing) {
  if (GetFileAttributesW(L"Z:\\bin\\sh") == INVALID_FILE_ATTRIBUTES) CANNOT_RUN_HERE("no Linux side (Z:\\bin\\sh)");
  for (const HostileTree& row : kTrees) {
    SCOPED_TRACE(row.what);
    RealTree tree;
    const PathString root = tree.Folder(L"t") + L"\\";
    const auto linux = [&](const char* command) { return RunOnLinuxSide(tree.Root(), std::string("cd t && ") + command); };
    ASSERT_EQ(linux(row.make), 0) << "the tree was not made";

    std::unique_ptr<FileSystem> fs = MakeNativeFileSystem();
    RecordingResults results;
    RecordingMessages messages;
    results.whenAdded = [&](const PathString& line) {
      if (row.when != nullptr && line == root + row.when) {
        EXPECT_EQ(linux(row.during), 0) << "no change during the walk";
      }
    };
    const SearchRun run = RunSearch(*fs, results, messages, root);
    std::vector<PathString> expected;
    for (const wchar_t* line : row.lines) expected.push_back(root + line);
    EXPECT_THAT(results.lines, UnorderedElementsAreArray(expected));
    EXPECT_EQ(run.total.ok() ? run.total.value().Low() : ~uint64_t{0}, static_cast<uint64_t>(row.total));
    EXPECT_EQ(messages.texts, MessagesOf(row.messages));
    if (row.after != nullptr) {
      EXPECT_EQ(linux(row.after), 0) << "the change after the search did not happen";
    }

    HANDLE held = INVALID_HANDLE_VALUE;
    if (row.held != nullptr) {
      held = CreateFileW(Extended(root + row.held).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
      EXPECT_NE(held, INVALID_HANDLE_VALUE);
    }
    for (const Deletion& deletion : row.deletions) {
      const MaybeFailure failure = fs->RemoveFile(root + deletion.line);
      const MaybeFailure expectedFailure =
          deletion.error == 0 ? MaybeFailure() : MaybeFailure(Win32Failure(deletion.error));
      EXPECT_EQ(Outcome(failure), Outcome(expectedFailure)) << Utf8FromWide(deletion.line);
    }
    if (held != INVALID_HANDLE_VALUE) {
      EXPECT_EQ(RunOnLinuxSide(tree.Root(), std::string("test -e t/") + Utf8FromWide(row.held)), 0)
          << "the file went while another program held it open";
      CloseHandle(held);
    }
    EXPECT_EQ(linux(row.left), 0) << "a file went that no line named, or a line's file stayed";
    EXPECT_EQ(RunOnLinuxSide(tree.Root(), "rm -rf -- * .[!.]*"), 0);
  }
}

}  // namespace
}  // namespace dustvane::testing
