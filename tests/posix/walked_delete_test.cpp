// Delete after a search, when what lies on a listed path changed meanwhile:
// the file goes only where the path still leads through the very folders
// the search walked, and otherwise nothing goes, as for a file that is gone.

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "search/file_system.h"
#include "tests/support/cannot_run_here.h"
#include "tests/support/child_process.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/search_run.h"
#include "tests/support/temp_folder.h"

namespace dustvane {
namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// Makes `file` (a relative path) and the folders it lies in under `top`.
bool MakeFile(const std::string& top, const std::string& file) {
  if (mkdir(top.c_str(), 0755) != 0 && errno != EEXIST) return false;
  for (size_t slash = file.find('/'); slash != std::string::npos; slash = file.find('/', slash + 1)) {
    const std::string folder = top + file.substr(0, slash);
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  std::ofstream(top + file) << "x";
  return Exists(top + file);
}

bool Bind(const std::string& from, const std::string& onto) {
  return mount(from.c_str(), onto.c_str(), nullptr, MS_BIND, nullptr) == 0;
}

constexpr const char* kListed = "a/b/c/x.tmp";
constexpr const char* kSibling = "s/x.tmp";

// What changes between the search of `tree` and the Delete. `outside`, beside
// the tree, holds a file on the listed path too.
struct Change {
  const char* what;
  std::function<bool(const std::string& tree, const std::string& outside)> make;
  bool siblingStillReached;  // the untouched sibling folder is still the one searched
};

const Change kChanges[] = {
    {"a bind mount over the file's top folder",
     [](auto& tree, auto& outside) { return Bind(outside + "a", tree + "a"); }, true},
    {"a bind mount over the file's own folder",
     [](auto& tree, auto& outside) { return Bind(outside + "a/b/c", tree + "a/b/c"); }, true},
    {"another tmpfs mounted on a folder of the path",
     [](auto& tree, auto&) {
       return mount("tmpfs", (tree + "a/b").c_str(), "tmpfs", 0, nullptr) == 0 &&
              MakeFile(tree + "a/b/", "c/x.tmp");
     },
     true},
    {"a folder of the path swapped for a link",
     [](auto& tree, auto& outside) {
       return rename((tree + "a/b").c_str(), (tree + "b-was").c_str()) == 0 &&
              symlink((outside + "a/b").c_str(), (tree + "a/b").c_str()) == 0;
     },
     true},
    {"a bind mount over the searched folder itself", [](auto& tree, auto& outside) { return Bind(outside, tree); },
     false},
};

// Searches `tree`, makes the change, then deletes the listed file and the
// sibling's with the same file-system object; 0 when all went as it must.
int SearchChangeAndDelete(const Change& change, const std::string& tree, const std::string& outside) {
  if (!MakeFile(tree, kListed) || !MakeFile(tree, kSibling) || !MakeFile(outside, kListed) ||
      !MakeFile(outside, kSibling)) {
    return 2;
  }
  std::unique_ptr<FileSystem> fs = MakeNativeFileSystem();
  testing::RecordingResults results;
  testing::RecordingMessages messages;
  if (!testing::RunSearch(*fs, results, messages, tree).total.ok() || results.lines.size() != 2) return 2;
  if (!change.make(tree, outside)) return testing::kNotAllowedHere;

  const MaybeFailure listed = fs->RemoveFile(tree + kListed);
  const bool refused = listed && listed->number == ENOENT && listed->description == "No such file or directory";
  // Whatever the path leads to now was never listed.
  const bool kept = Exists(tree + kListed);
  const MaybeFailure sibling = fs->RemoveFile(tree + kSibling);
  const bool siblingAsItMust = change.siblingStillReached ? !sibling && !Exists(tree + kSibling)
                                                          : sibling && sibling->number == ENOENT;
  std::fprintf(stderr, "%s: listed file %s (%s), file there now %s, sibling %s\n", change.what,
               listed ? "refused" : "removed", listed ? listed->description.c_str() : "",
               kept ? "kept" : "GONE", sibling ? sibling->description.c_str() : "removed");
  return refused && kept && siblingAsItMust && Exists(outside + kSibling) ? 0 : 1;
}

TEST(WalkedDeleteTest, DeleteRemovesOnlyAFileReachedThroughTheFoldersTheSearchWalked) {
  testing::TempFolder folder;
  for (const Change& change : kChanges) {
    SCOPED_TRACE(change.what);
    const std::string row = folder.path() + std::to_string(&change - kChanges) + "/";
    ASSERT_EQ(mkdir(row.c_str(), 0755), 0);
    const int code = testing::InPrivateMountNamespace(
        [&] { return SearchChangeAndDelete(change, row + "tree/", row + "outside/"); });
    if (code == testing::kNotAllowedHere) CANNOT_RUN_HERE("mounting in a private namespace is not allowed here");
    EXPECT_EQ(code, 0);
  }
}

}  // namespace
}  // namespace dustvane
