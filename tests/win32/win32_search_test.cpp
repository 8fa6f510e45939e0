// The whole search over real trees on the C: drive: what the Windows layer
// makes of attributes, ".sys" files, links to folders and names that a plain
// Windows path would not reach.

#include <windows.h>
#include <winioctl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
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

using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

class Win32SearchTest : public ::testing::Test {
 protected:
  ByteTotal Search(PathString root) {
    const SearchRun run = RunSearch(*fs, results, messages, root, pattern);
    fileCount = run.files;
    dirCount = run.folders;
    EXPECT_TRUE(run.total.ok());
    return run.total.ok() ? run.total.value() : ByteTotal(~uint64_t{0});
  }

  RealTree tree;
  std::unique_ptr<FileSystem> fs = MakeNativeFileSystem();
  RecordingResults results;
  RecordingMessages messages;
  PathString pattern = L"*.tmp";
  int16_t fileCount = 0;
  FolderCount dirCount = 0;
};

TEST_F(Win32SearchTest, FindsHiddenSystemAndReadOnlyMatchesAndSkipsSystemFolders) {
  tree.File(L"a.TMP", 5);
  tree.File(L"Mixed.Tmp", 7, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  tree.File(L"ro.tmp", 11, FILE_ATTRIBUTE_READONLY);
  tree.File(L"notes.tmpl", 1000);
  tree.File(L"config.sys", 1000);
  tree.Folder(L"old.tmp");
  tree.File(L"old.tmp\\inner.tmp", 13);
  tree.Folder(L"hidden", FILE_ATTRIBUTE_HIDDEN);
  tree.File(L"hidden\\h.tmp", 17);
  tree.Folder(L"rodir", FILE_ATTRIBUTE_READONLY);
  tree.File(L"rodir\\r.tmp", 19);
  tree.Folder(L"sysdir");
  tree.File(L"sysdir\\s.tmp", 1000);
  tree.Folder(L"sysdir\\below");
  tree.File(L"sysdir\\below\\b.tmp", 1000);
  SetFileAttributesW(tree.Path(L"sysdir").c_str(), FILE_ATTRIBUTE_SYSTEM);
  // A system file held open with no sharing, as the system holds its own.
  const PathString pagefile = tree.File(L"pagefile.sys", 1000, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  HANDLE held = CreateFileW(pagefile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  PathString root = tree.Root();
  root.pop_back();  // the search adds the separator itself
  EXPECT_EQ(Search(root), 5 + 7 + 11 + 13 + 17 + 19);
  CloseHandle(held);

  EXPECT_THAT(results.lines, UnorderedElementsAreArray({tree.Path(L"a.TMP"), tree.Path(L"Mixed.Tmp"),
                                                        tree.Path(L"ro.tmp"), tree.Path(L"old.tmp\\inner.tmp"),
                                                        tree.Path(L"hidden\\h.tmp"), tree.Path(L"rodir\\r.tmp")}));
  // A folder's own matches come before those of its sub-folders.
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(results.lines[i].find(L'\\', tree.Root().size()), PathString::npos);
  EXPECT_EQ(fileCount, 6);
  EXPECT_EQ(dirCount, 3);
  EXPECT_THAT(messages.texts, IsEmpty());
}

TEST_F(Win32SearchTest, AFolderThatVanishedIsReportedWithTheSystemText) {
  PathString missing = tree.Path(L"missing");
  EXPECT_EQ(Search(missing), 0);
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0], ErrorMessageText(Win32Failure(ERROR_PATH_NOT_FOUND)));
  EXPECT_EQ(messages.titles[0], "Unexpected Error");
}

// More folders than a 16-bit count holds, in one folder and in all: every
// folder is searched, and a folder found after the 32,767th still has its own
// sub-folder searched. The folders are made from the Linux side: tens of
// thousands are made and removed there in a moment.
TEST_F(Win32SearchTest, EveryFolderIsSearchedPastThirtyTwoThousandFolders) {
  constexpr int kWide = 33000;
  ASSERT_EQ(RunOnLinuxSide(tree.Root(), "mkdir wide && cd wide && seq -f w%.0f 0 " + std::to_string(kWide - 1) +
                                            " | xargs mkdir"),
            0);
  std::vector<PathString> expected = {tree.File(L"wide\\own.tmp")};
  for (int i : {0, 16000, 32766, 32767, 32768, kWide - 1}) {
    const PathString sub = L"wide\\w" + std::to_wstring(i) + L"\\sub";
    tree.Folder(sub);
    expected.push_back(tree.File(sub + L"\\x.tmp"));
  }

  Search(tree.Root());
  EXPECT_THAT(messages.texts, IsEmpty());
  EXPECT_THAT(results.lines, UnorderedElementsAreArray(expected));
  EXPECT_EQ(dirCount, 1 + kWide + 6);
  EXPECT_EQ(RunOnLinuxSide(tree.Root(), "rm -rf wide"), 0);
}

// A junction at `link` to the folder `target`, as Windows makes them. Wine
// answers ERROR_NOT_SUPPORTED; there the test uses links made from the Linux
// side, which Wine reports the same way (a folder with a reparse point).
bool MakeJunction(const PathString& link, const PathString& target) {
  if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
  HANDLE handle = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    RemoveDirectoryW(link.c_str());
    return false;
  }
  const PathString substitute = L"\\??\\" + target;
  const WORD substituteBytes = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
  const WORD printBytes = static_cast<WORD>(target.size() * sizeof(wchar_t));
  struct {
    DWORD tag;
    WORD dataLength;
    WORD reserved;
    WORD substituteOffset, substituteLength, printOffset, printLength;
    wchar_t names[1024];
  } data{};
  data.tag = IO_REPARSE_TAG_MOUNT_POINT;
  data.substituteLength = substituteBytes;
  data.printOffset = static_cast<WORD>(substituteBytes + sizeof(wchar_t));
  data.printLength = printBytes;
  std::memcpy(data.names, substitute.c_str(), substituteBytes);
  std::memcpy(reinterpret_cast<char*>(data.names) + data.printOffset, target.c_str(), printBytes);
  data.dataLength = static_cast<WORD>(4 * sizeof(WORD) + data.printOffset + printBytes + sizeof(wchar_t));
  DWORD returned = 0;
  const BOOL made = DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, &data, 8 + data.dataLength, nullptr, 0,
                                    &returned, nullptr);
  CloseHandle(handle);
  if (!made) RemoveDirectoryW(link.c_str());
  return made;
}

// Links to folders are never entered: no loop, nothing outside the tree. They
// are folders to the masks, so they are not listed as matches either, and a
// file deletion refuses them.
//
//   kept.tmp
//   inner\inner.tmp
//   inner\back       -> the tree's root (a loop)
//   inner\away.tmp   -> C:\windows (outside the tree)
TEST_F(Win32SearchTest, LinksToFoldersAreNeitherEnteredListedNorRemoved) {
  PathString root;
  tree.File(L"kept.tmp", 1);
  tree.Folder(L"inner");
  tree.File(L"inner\\inner.tmp", 2);
  if (MakeJunction(tree.Path(L"inner\\back"), tree.Root()) &&
      MakeJunction(tree.Path(L"inner\\away.tmp"), L"C:\\windows")) {
    root = tree.Root();
  } else {
    root = Prepared(L"DUSTVANE_FOLDER_LINKS");
    if (root.empty()) CANNOT_RUN_HERE("no junctions here, and no links prepared in DUSTVANE_FOLDER_LINKS");
  }
  const PathString back = root + L"inner\\back";
  const PathString away = root + L"inner\\away.tmp";
  ASSERT_NE(GetFileAttributesW(back.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u) << "the link is in place";

  EXPECT_EQ(Search(root), 3);
  EXPECT_THAT(results.lines, UnorderedElementsAreArray({root + L"kept.tmp", root + L"inner\\inner.tmp"}));
  EXPECT_EQ(dirCount, 1);
  EXPECT_THAT(messages.texts, IsEmpty());

  EXPECT_EQ(fs->FileAttributes(back, AttrAll).value() & AttrDirectory, 0u);
  EXPECT_EQ(fs->FileAttributes(away, AttrAll).value() & AttrDirectory, 0u);
  const MaybeFailure refused = fs->RemoveFile(away);
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->number, ERROR_ACCESS_DENIED);
  EXPECT_NE(GetFileAttributesW(away.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Win32SearchTest, ARelativeRootIsSearchedFromTheCurrentFolderAndListedInFull) {
  tree.Folder(L"sub");
  tree.File(L"sub\\a.tmp", 3);
  wchar_t current[MAX_PATH] = {};
  ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, current), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(tree.Root().c_str()));
  const ByteTotal total = Search(L"sub");
  SetCurrentDirectoryW(current);
  EXPECT_EQ(total, 3);
  EXPECT_THAT(results.lines, UnorderedElementsAreArray({tree.Path(L"sub\\a.tmp")}));
  EXPECT_THAT(messages.texts, IsEmpty());
}

// Names that a plain path does not reach: the API's clean-up drops a trailing
// dot or space from every name in it, so "d.\a.tmp" would name "d\a.tmp", and
// takes a device name, whatever its extension, for the device. Each file has
// a size of its own. The Windows stage (scripts/test-windows.sh) makes this
// tree from the Linux side, so that it holds these names whatever this layer
// makes of them, checks from there that the test removed every file and no
// folder, and names the tree in DUSTVANE_EXACT_NAMES.
struct TreeFile {
  const wchar_t* path;
  int64_t length;
};
constexpr TreeFile kExactNameTree[] = {
    {L"d.\\a.tmp", 4},       {L"d\\a.tmp", 2},         {L"e.\\b.tmp", 8},
    {L"s \\x.tmp", 32},      {L"s\\x.tmp", 16},        {L"res\\a.tmp", 64},
    {L"res\\CON.tmp", 128},  {L"res\\nul.tmp", 256},   {L"res\\aux.TMP", 512},
    {L"res\\COM1.tmp", 1024}, {L"res\\zz.tmp", 2048},  {L"res\\sub\\deeper.tmp", 4096},
};

TEST_F(Win32SearchTest, NamesThePathCleanUpWouldChangeAreListedSizedAndRemovedExactly) {
  const PathString root = Prepared(L"DUSTVANE_EXACT_NAMES");
  if (root.empty()) CANNOT_RUN_HERE("no tree prepared in DUSTVANE_EXACT_NAMES");
  std::vector<PathString> paths;
  int64_t sum = 0;
  for (const TreeFile& file : kExactNameTree) {
    paths.push_back(root + file.path);
    sum += file.length;
  }

  EXPECT_EQ(Search(root), sum);
  EXPECT_THAT(results.lines, UnorderedElementsAreArray(paths));
  EXPECT_THAT(messages.texts, IsEmpty());

  // Line by line: its own length, then its file goes and only it, as the
  // test sees through exact paths of its own.
  for (size_t i = 0; i < paths.size(); ++i) {
    const Result<int64_t> length = fs->FileLength(paths[i]);
    EXPECT_TRUE(length.ok() && length.value() == kExactNameTree[i].length) << Utf8FromWide(paths[i]);
    EXPECT_EQ(fs->RemoveFile(paths[i]), std::nullopt) << Utf8FromWide(paths[i]);
    for (size_t j = 0; j < paths.size(); ++j) {
      const bool there = GetFileAttributesW(Extended(paths[j]).c_str()) != INVALID_FILE_ATTRIBUTES;
      EXPECT_EQ(there, j > i) << "after removing " << Utf8FromWide(paths[i]) << ": " << Utf8FromWide(paths[j]);
    }
  }
}

}  // namespace
}  // namespace dustvane::testing
