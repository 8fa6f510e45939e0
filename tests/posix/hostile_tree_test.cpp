// The search and the delete on trees built to break them: odd names, great
// depth and width, trees that change under the walk, foreign mounts inside.

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "search/file_system.h"
#include "search/find_files.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/temp_folder.h"

namespace dustvane {
namespace {

using ::testing::Each;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using ::testing::UnorderedElementsAreArray;

class HostileTreeTest : public ::testing::Test {
 protected:
  void Make(const std::string& relative, const std::string& content = "") {
    std::ofstream(root + relative, std::ios::binary) << content;
  }
  void Folder(const std::string& relative) { ASSERT_EQ(mkdir((root + relative).c_str(), 0755), 0) << relative; }
  bool Exists(const std::string& relative) {
    struct stat st;
    return fstatat(AT_FDCWD, (root + relative).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  }

  struct Outcome {
    std::vector<std::string> lines;
    std::vector<std::string> messages;
    int16_t files = 0;
    int16_t folders = 0;
    ByteTotal total;
  };
  Outcome Search(const std::string& where) {
    testing::RecordingResults results;
    testing::RecordingMessages messages;
    SearchContext context{*fs, results, messages};
    Outcome out;
    PathString path = where;
    Result<ByteTotal> total = FindFiles(context, path, "*.tmp", out.files, out.folders);
    fs->CloseFolders();
    EXPECT_TRUE(total.ok());
    out.total = total.ok() ? total.value() : ByteTotal(~uint64_t{0});
    out.lines = results.lines;
    out.messages = messages.texts;
    return out;
  }

  testing::TempFolder folder;
  std::string root = folder.path();
  std::unique_ptr<FileSystem> fs = MakeNativeFileSystem();
};

TEST_F(HostileTreeTest, EveryOddNameIsListedAndDeletedByItsExactBytes) {
  const std::vector<std::string> names = {
      std::string("inv\xff\xfe.tmp"),
      std::string("inv\xef\xbf\xbd\xef\xbf\xbd.tmp"),  // displays like the one above
      "new\nline.tmp",
      "tab\there.tmp",
      "-leading-dash.tmp",
      "back\\slash.tmp",
      " spaced .tmp",
      std::string(251, 'n') + ".tmp",  // 255 bytes, the longest a name can be
  };
  for (const std::string& name : names) Make(name, "x");
  Outcome found = Search(root);
  std::vector<std::string> expected;
  for (const std::string& name : names) expected.push_back(root + name);
  EXPECT_THAT(found.lines, UnorderedElementsAreArray(expected));
  EXPECT_THAT(found.messages, IsEmpty());

  for (size_t i = 0; i < names.size(); ++i) {
    ASSERT_EQ(fs->RemoveFile(root + names[i]), std::nullopt) << i;
    for (size_t j = 0; j < names.size(); ++j) EXPECT_EQ(Exists(names[j]), j > i) << i << " " << j;
  }
}

TEST_F(HostileTreeTest, ChainOfFiveThousandFoldersEndsWithOneMessageAndNoOverflow) {
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  for (int depth = 0; depth < 5000; ++depth) {
    ASSERT_EQ(mkdirat(fd, "d", 0755), 0);
    const int inner = openat(fd, "d", O_RDONLY | O_DIRECTORY);
    close(fd);
    ASSERT_GE(inner, 0);
    fd = inner;
    if (depth % 100 == 0) close(openat(fd, "m.tmp", O_CREAT | O_WRONLY, 0644));
  }
  close(fd);

  Outcome found = Search(root);
  // Paths reach the system's limit about 2,040 levels down; that level says so once.
  EXPECT_THAT(found.messages, ::testing::ElementsAre("Error: 36 - File name too long"));
  EXPECT_EQ(found.lines.size(), 21u);
  EXPECT_GT(found.folders, 2000);
}

TEST_F(HostileTreeTest, MoreThan32767SubFoldersOverflowTheFolderCountOnce) {
  Folder("wide");
  Make("wide/own.tmp");
  int fd = open((root + "wide").c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < 32800; ++i) ASSERT_EQ(mkdirat(fd, std::to_string(i).c_str(), 0755), 0);
  close(fd);
  Make("beside.tmp");

  Outcome found = Search(root);
  EXPECT_THAT(found.messages, ::testing::ElementsAre("Error: 6 - Overflow"));
  EXPECT_EQ(found.folders, 32767);
  EXPECT_THAT(found.lines, ::testing::ElementsAre(root + "beside.tmp"));  // "wide" ran no file pass
}

TEST_F(HostileTreeTest, MoreThan32767MatchesListExactly32767) {
  Folder("many");
  int fd = open((root + "many").c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < 32800; ++i) {
    const int file = openat(fd, (std::to_string(i) + ".tmp").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_EQ(write(file, "ab", 2), 2);
    close(file);
  }
  close(fd);

  Outcome found = Search(root);
  EXPECT_EQ(found.files, 32767);
  EXPECT_EQ(found.lines.size(), 32767u);
  EXPECT_EQ(found.total, 2 * 32768);  // the match that overflowed is summed, not listed
  EXPECT_THAT(found.messages, ::testing::ElementsAre("Error: 6 - Overflow"));
}

TEST_F(HostileTreeTest, TreeChangingUnderTheWalkNeverLeadsOutOfItOrStopsIt) {
  Folder("outside");
  Make("outside/sentinel.tmp");
  Folder("tree");
  const std::string tree = root + "tree/";
  std::atomic<bool> stop{false};
  std::atomic<unsigned> rounds{0};
  std::thread mutator([&] {
    for (unsigned round = 0; !stop.load(); round = ++rounds) {
      const std::string a = tree + "a" + std::to_string(round % 7);
      const std::string b = tree + "b" + std::to_string(round % 5);
      mkdir(a.c_str(), 0755);
      std::ofstream(a + "/f.tmp") << "x";
      mkdir((a + "/sub").c_str(), 0755);
      std::ofstream(a + "/sub/g.tmp") << "yy";
      rename(a.c_str(), b.c_str());
      unlink((b + "/sub/g.tmp").c_str());
      rmdir((b + "/sub").c_str());
      unlink((b + "/f.tmp").c_str());
      rmdir(b.c_str());
      // A folder swapped for a link to a folder outside the tree, and for one to "/".
      const std::string swap = tree + "swap";
      mkdir(swap.c_str(), 0755);
      std::ofstream(swap + "/inside.tmp") << "z";
      unlink((swap + "/inside.tmp").c_str());
      rmdir(swap.c_str());
      symlink(round % 2 ? (root + "outside").c_str() : "/", swap.c_str());
      unlink(swap.c_str());
    }
  });

  std::set<std::string> messages;
  // Enough searches, and enough changes made during them, to meet every race.
  for (int i = 0; i < 300 || rounds.load() < 3000; ++i) {
    Outcome found = Search(tree);
    EXPECT_THAT(found.lines, Each(StartsWith(tree)));
    for (const std::string& line : found.lines) EXPECT_EQ(line.find("sentinel"), std::string::npos) << line;
    EXPECT_LT(found.folders, 100);
    messages.insert(found.messages.begin(), found.messages.end());
  }
  stop = true;
  mutator.join();
  // Every message names a real failure of an entry that changed.
  for (const std::string& message : messages) {
    EXPECT_THAT(message, ::testing::AnyOf("Error: 2 - No such file or directory", "Error: 20 - Not a directory",
                                          "Error: 40 - Too many levels of symbolic links"));
  }
}

TEST_F(HostileTreeTest, DeleteAfterTheFileWasSwappedRemovesOnlyThatEntryAndNeverAFolder) {
  Make("a.tmp");
  Make("b.tmp");
  Make("c.tmp");
  Make("target", "keep");
  ASSERT_EQ(Search(root).lines.size(), 3u);

  // a.tmp became a folder with a file inside.
  unlink((root + "a.tmp").c_str());
  Folder("a.tmp");
  Make("a.tmp/inner", "keep");
  EXPECT_EQ(fs->RemoveFile(root + "a.tmp")->number, EISDIR);
  EXPECT_TRUE(Exists("a.tmp/inner"));

  // b.tmp became a link: the link goes, its target stays.
  unlink((root + "b.tmp").c_str());
  ASSERT_EQ(symlink((root + "target").c_str(), (root + "b.tmp").c_str()), 0);
  EXPECT_EQ(fs->RemoveFile(root + "b.tmp"), std::nullopt);
  EXPECT_FALSE(Exists("b.tmp"));
  EXPECT_TRUE(Exists("target"));

  // c.tmp became write-protected: refused.
  ASSERT_EQ(chmod((root + "c.tmp").c_str(), 0444), 0);
  EXPECT_EQ(fs->RemoveFile(root + "c.tmp")->number, EACCES);
  EXPECT_TRUE(Exists("c.tmp"));
}

// These two need an ordinary user: CTest runs them again with privileges
// dropped when the suite runs as root.
TEST_F(HostileTreeTest, AsOrdinaryUserUnreadableFoldersArePassedOverWithoutAMessage) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  Folder("locked");
  Make("locked/hidden-from-me.tmp");
  Folder("open");
  Make("open/seen.tmp");
  ASSERT_EQ(chmod((root + "locked").c_str(), 0), 0);
  Outcome found = Search(root);
  EXPECT_THAT(found.messages, IsEmpty());
  EXPECT_THAT(found.lines, ::testing::ElementsAre(root + "open/seen.tmp"));
  EXPECT_EQ(found.folders, 2);
}

TEST_F(HostileTreeTest, AsOrdinaryUserFilesThatMayNotBeRemovedStay) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
  Folder("sealed");
  Make("sealed/a.tmp");
  Make("ro.tmp");
  ASSERT_EQ(chmod((root + "sealed").c_str(), 0555), 0);
  ASSERT_EQ(chmod((root + "ro.tmp").c_str(), 0444), 0);
  EXPECT_EQ(fs->RemoveFile(root + "sealed/a.tmp")->number, EACCES);
  EXPECT_EQ(fs->RemoveFile(root + "ro.tmp")->number, EACCES);
  EXPECT_TRUE(Exists("sealed/a.tmp"));
  EXPECT_TRUE(Exists("ro.tmp"));
}

// Runs `body` in a child process with a mount namespace of its own, so that
// whatever it mounts disappears with it. Returns false where that is not allowed.
template <class Body>
bool InPrivateMountNamespace(Body body, int* status) {
  const pid_t child = fork();
  if (child == 0) {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) _exit(77);
    _exit(body());
  }
  waitpid(child, status, 0);
  return !(WIFEXITED(*status) && WEXITSTATUS(*status) == 77);
}

TEST_F(HostileTreeTest, ProcAndSysfsMountedInsideTheTreeAreNeverEntered) {
  Folder("p");
  Folder("s");
  Make("mine.tmp");
  int status = 0;
  const bool ran = InPrivateMountNamespace(
      [&] {
        if (mount("proc", (root + "p").c_str(), "proc", 0, nullptr) != 0) return 77;
        if (mount("sysfs", (root + "s").c_str(), "sysfs", 0, nullptr) != 0) return 77;
        std::unique_ptr<FileSystem> inside = MakeNativeFileSystem();
        testing::RecordingResults results;
        testing::RecordingMessages messages;
        SearchContext context{*inside, results, messages};
        PathString path = root;
        int16_t files = 0, folders = 0;
        Result<ByteTotal> total = FindFiles(context, path, "*.tmp", files, folders);
        const bool good = total.ok() && messages.texts.empty() && folders == 0 &&
                          results.lines == std::vector<PathString>{root + "mine.tmp"};
        return good ? 0 : 1;
      },
      &status);
  if (!ran) GTEST_SKIP() << "mounting in a private namespace is not allowed here";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace dustvane
