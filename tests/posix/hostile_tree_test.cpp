// The search and the delete on trees built to break them: odd names, great
// depth and width, trees and mounts that change under the walk, foreign
// mounts inside.

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

#include "search/byte_total.h"
#include "search/file_system.h"
#include "search/find_files.h"
#include "search/posix/folder_opener.h"
#include "search/posix/posix_file_system.h"
#include "tests/support/cannot_run_here.h"
#include "tests/support/chain_of_folders.h"
#include "tests/support/child_process.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/search_run.h"
#include "tests/support/temp_folder.h"

namespace dustvane {
namespace {

using ::testing::Each;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using ::testing::UnorderedElementsAreArray;
using testing::InChildProcess;
using testing::InPrivateMountNamespace;
using testing::kNotAllowedHere;

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

  std::string Chain(const std::string& under, const std::string& name, int depth, int every = 0,
                    const std::string& side = "") {
    return testing::MakeChainOfFolders(root, under, name, depth, every, side);
  }

  struct Outcome {
    std::vector<std::string> lines;
    std::vector<std::string> messages;
    bool ok = false;
    int16_t files = 0;
    FolderCount folders = 0;
    ByteTotal total;
  };
  Outcome Search(const std::string& where) {
    testing::RecordingResults results;
    return Search(where, results);
  }
  Outcome Search(const std::string& where, testing::RecordingResults& results) {
    testing::RecordingMessages messages;
    const testing::SearchRun run = testing::RunSearch(*fs, results, messages, where);
    EXPECT_TRUE(run.total.ok());
    Outcome out;
    out.ok = run.total.ok();
    out.files = run.files;
    out.folders = run.folders;
    out.total = run.total.ok() ? run.total.value() : ByteTotal(~uint64_t{0});
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
      // Names that other systems' path clean-up would change: folders with a
      // trailing dot or space beside their plain twins, device names.
      "d./a.tmp",
      "d/a.tmp",
      "s /x.tmp",
      "s/x.tmp",
      "CON.tmp",
      "nul.tmp",
  };
  for (const char* twin : {"d.", "d", "s ", "s"}) Folder(twin);
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

TEST_F(HostileTreeTest, ChainOfTwentyThousandFoldersIsSearchedWhole) {
  const std::string chain = Chain("", "d", 20000, 1000);

  Outcome found = Search(root);
  EXPECT_THAT(found.messages, IsEmpty());
  EXPECT_EQ(found.folders, 20000);
  ASSERT_EQ(found.lines.size(), 21u);
  EXPECT_EQ(found.lines.back(), root + chain + "m.tmp");
}

// More folders than a 16-bit count holds, in one folder and in all: every
// folder is searched, whichever order the folder lists them in, and a folder
// found after the 32,767th still has its own sub-folder searched.
TEST_F(HostileTreeTest, EveryFolderIsSearchedPastThirtyTwoThousandFolders) {
  constexpr int kWide = 33000;
  Folder("wide");
  Make("wide/own.tmp");
  int fd = open((root + "wide").c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < kWide; ++i) ASSERT_EQ(mkdirat(fd, ("w" + std::to_string(i)).c_str(), 0755), 0);
  close(fd);
  std::vector<std::string> expected = {root + "wide/own.tmp"};
  for (int i : {0, 16000, 32766, 32767, 32768, kWide - 1}) {
    const std::string sub = "wide/w" + std::to_string(i) + "/sub";
    Folder(sub);
    Make(sub + "/x.tmp");
    expected.push_back(root + sub + "/x.tmp");
  }

  Outcome found = Search(root);
  EXPECT_THAT(found.messages, IsEmpty());
  EXPECT_THAT(found.lines, ::testing::UnorderedElementsAreArray(expected));
  EXPECT_EQ(found.folders, 1 + kWide + 6);
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

TEST_F(HostileTreeTest, DeleteAfterTheFileWasSwappedRemovesNothing) {
  Make("a.tmp");
  Make("b.tmp");
  Make("c.tmp");
  Make("target", "keep");
  ASSERT_EQ(Search(root).lines.size(), 3u);

  // a.tmp became a folder with a file inside.
  unlink((root + "a.tmp").c_str());
  Folder("a.tmp");
  Make("a.tmp/inner", "keep");
  EXPECT_EQ(fs->RemoveFile(root + "a.tmp")->number, ENOENT);
  EXPECT_TRUE(Exists("a.tmp/inner"));

  // b.tmp became a link: not the file listed, so neither goes.
  unlink((root + "b.tmp").c_str());
  ASSERT_EQ(symlink((root + "target").c_str(), (root + "b.tmp").c_str()), 0);
  EXPECT_EQ(fs->RemoveFile(root + "b.tmp")->number, ENOENT);
  EXPECT_TRUE(Exists("b.tmp"));
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

// What "chmod -R 644" leaves: a folder whose names may be listed but not
// looked up, so none of them could be queried or removed. It is passed over
// as one that may not be read, as the search's root too.
TEST_F(HostileTreeTest, AsOrdinaryUserAFolderThatMayBeListedButNotSearchedIsPassedOver) {
  if (geteuid() == 0) GTEST_SKIP() << "root searches every folder";
  Folder("listable");
  Folder("listable/sub");
  Make("listable/x.tmp");
  Make("listable/sub/y.tmp");
  Folder("open");
  Make("open/seen.tmp");
  ASSERT_EQ(chmod((root + "listable").c_str(), 0644), 0);
  Outcome found = Search(root);
  EXPECT_THAT(found.messages, IsEmpty());
  EXPECT_THAT(found.lines, ::testing::ElementsAre(root + "open/seen.tmp"));
  EXPECT_EQ(found.folders, 2);
  Outcome fromIt = Search(root + "listable/");
  EXPECT_THAT(fromIt.messages, IsEmpty());
  EXPECT_THAT(fromIt.lines, IsEmpty());
  EXPECT_EQ(fromIt.folders, 0);
}

TEST_F(HostileTreeTest, AsOrdinaryUserFilesThatMayNotBeRemovedStay) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
  Folder("sealed");
  Make("sealed/a.tmp");
  Make("ro.tmp");
  ASSERT_EQ(chmod((root + "sealed").c_str(), 0555), 0);
  ASSERT_EQ(chmod((root + "ro.tmp").c_str(), 0444), 0);
  ASSERT_EQ(Search(root).lines.size(), 2u);
  EXPECT_EQ(fs->RemoveFile(root + "sealed/a.tmp")->number, EACCES);
  EXPECT_EQ(fs->RemoveFile(root + "ro.tmp")->number, EACCES);
  EXPECT_TRUE(Exists("sealed/a.tmp"));
  EXPECT_TRUE(Exists("ro.tmp"));
}

TEST_F(HostileTreeTest, ProcAndSysfsMountedInsideTheTreeAreNeverEntered) {
  Folder("p");
  Folder("s");
  Make("mine.tmp");
  const int code = InPrivateMountNamespace([&] {
    if (mount("proc", (root + "p").c_str(), "proc", 0, nullptr) != 0) return kNotAllowedHere;
    if (mount("sysfs", (root + "s").c_str(), "sysfs", 0, nullptr) != 0) return kNotAllowedHere;
    Outcome found = Search(root);
    const bool good = found.ok && found.messages.empty() && found.folders == 0 &&
                      found.lines == std::vector<std::string>{root + "mine.tmp"};
    return good ? 0 : 1;
  });
  if (code == kNotAllowedHere) CANNOT_RUN_HERE("mounting in a private namespace is not allowed here");
  EXPECT_EQ(code, 0);
}

// --- the walk's own limits and the mounts it meets -------------------------

TEST_F(HostileTreeTest, FolderSwappedAboveTheOpenFoldersIsNeverFollowedOrTakenForTheOldOne) {
  // Deep enough that the folders near the top are given back while the walk
  // is inside one of two deep sibling subtrees. Whichever it searches first
  // is moved out of the tree, so that the way back up through ".." leads
  // elsewhere, and the top folder is swapped: the other sibling must then be
  // reached name by name through the top folder again.
  Folder("tree");
  const std::string top = Chain("tree/", "c", 300);
  Chain(top + "", "s1", 1);
  Chain(top + "", "s2", 1);
  Make(Chain(top + "s1/", "x", 300) + "trigger.tmp");
  Make(Chain(top + "s2/", "x", 300) + "trigger.tmp");
  // A look-alike beside the tree, with planted files where the other
  // sibling would be.
  Folder("outside");
  Chain("outside/", "c", 1);
  const std::string mirror = Chain("outside/c/", "c", 299);
  Chain(mirror, "s1", 1);
  Chain(mirror, "s2", 1);
  Make(mirror + "s1/planted.tmp");
  Make(mirror + "s2/planted.tmp");
  // Where the top of the tree is while it is swapped.
  const std::string moved = "tree/moved" + top.substr(std::string("tree/c").size());

  for (const bool byLink : {true, false}) {
    SCOPED_TRACE(byLink ? "swapped for a link" : "swapped for another folder");
    testing::RecordingResults results;
    std::string searchedFirst;
    results.whenAdded = [&](const std::string& line) {
      if (!searchedFirst.empty() || line.find("trigger.tmp") == std::string::npos) return;
      searchedFirst = line.find(top + "s1/") != std::string::npos ? "s1" : "s2";
      ASSERT_EQ(rename((root + "tree/c").c_str(), (root + "tree/moved").c_str()), 0);
      ASSERT_EQ(rename((root + moved + searchedFirst).c_str(), (root + "away").c_str()), 0);
      if (byLink) {
        ASSERT_EQ(symlink((root + "outside/c").c_str(), (root + "tree/c").c_str()), 0);
      } else {
        ASSERT_EQ(rename((root + "outside/c").c_str(), (root + "tree/c").c_str()), 0);
      }
    };
    Outcome found = Search(root + "tree/", results);
    ASSERT_FALSE(searchedFirst.empty());
    EXPECT_EQ(found.lines.size(), 1u);
    for (const std::string& line : found.lines) EXPECT_EQ(line.find("planted"), std::string::npos) << line;
    EXPECT_THAT(found.messages, ::testing::ElementsAre(byLink ? "Error: 20 - Not a directory"
                                                              : "Error: 2 - No such file or directory"));
    // Put the tree back as it was.
    if (byLink) {
      ASSERT_EQ(unlink((root + "tree/c").c_str()), 0);
    } else {
      ASSERT_EQ(rename((root + "tree/c").c_str(), (root + "outside/c").c_str()), 0);
    }
    ASSERT_EQ(rename((root + "away").c_str(), (root + moved + searchedFirst).c_str()), 0);
    ASSERT_EQ(rename((root + "tree/moved").c_str(), (root + "tree/c").c_str()), 0);
  }
}

TEST_F(HostileTreeTest, SmallOpenFilesLimitStillSearchesADeepTreeWhole) {
  const std::string chain = Chain("", "d", 40, 1);
  std::string above;
  for (int depth = 0; depth < 40; ++depth, above += "d/") {
    if (depth % 5 == 4) Chain(above, "e", 2, 1);
  }
  const int code = InChildProcess([&] {
    const struct rlimit limit = {16, 16};
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0) return kNotAllowedHere;
    Outcome found = Search(root);
    for (const std::string& message : found.messages) std::fprintf(stderr, "%s\n", message.c_str());
    return found.messages.empty() && found.lines.size() == 41 + 8 * 2 ? 0 : 1;
  });
  EXPECT_EQ(code, 0);
}

// Going back up to a folder whose descriptor was given back costs one open,
// not the whole way from the root: a deep chain costs a few opens a folder
// under any open-files limit.
TEST_F(HostileTreeTest, ASmallOpenFilesLimitCostsAFewOpensAFolderHoweverDeep) {
  Chain("", "d", 1500, 0, "side");
  const int code = InChildProcess([&] {
    const struct rlimit limit = {16, 16};
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0) return kNotAllowedHere;
    const uint64_t before = FolderOpensSoFar();
    Outcome found = Search(root);
    const uint64_t opens = FolderOpensSoFar() - before;
    std::fprintf(stderr, "folder opens for %lld folders: %llu\n", static_cast<long long>(found.folders), static_cast<unsigned long long>(opens));
    return found.messages.empty() && found.folders == 3000 && opens <= 3 * 3000 ? 0 : 1;
  });
  if (code == kNotAllowedHere) CANNOT_RUN_HERE("lowering the open-files limit is not allowed here");
  EXPECT_EQ(code, 0);
}

// Read system calls made by this process so far (listing a folder is not
// one; reading a file such as the mount table is).
long ReadCallsSoFar() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long value = 0;
  while (io >> key >> value) {
    if (key == "syscr:") return value;
  }
  return -1;
}

TEST_F(HostileTreeTest, MountTableIsReadOncePerWalkHoweverOftenFoldersAreReopened) {
  // A tree deep enough, under a low open-files limit, that folders are given
  // back and reopened many times, with many mounts to read about.
  Chain("", "d", 30);
  std::string above;
  for (int depth = 0; depth < 30; ++depth, above += "d/") Chain(above, "e", 2, 1);
  const int code = InPrivateMountNamespace([&] {
    const struct rlimit limit = {16, 16};
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0) return kNotAllowedHere;
    std::string folder = root;
    for (int depth = 0; depth < 30; ++depth, folder += "d/") {
      if (mount("tmpfs", (folder + "e/e").c_str(), "tmpfs", 0, nullptr) != 0) return kNotAllowedHere;
    }
    const long before = ReadCallsSoFar();
    if (before < 0) return kNotAllowedHere;  // no /proc/self/io to count with
    Outcome found = Search(root);
    const long reads = ReadCallsSoFar() - before;
    std::fprintf(stderr, "read calls during the walk: %ld\n", reads);
    return found.messages.empty() && found.folders == 30 * 3 && found.lines.size() == 30 * 2 && reads < 10
               ? 0
               : 1;
  });
  if (code == kNotAllowedHere) CANNOT_RUN_HERE("mounting in a private namespace, or counting reads, is not allowed here");
  EXPECT_EQ(code, 0);
}

// The mount table is read when the walk begins; mounts that come, move or
// go while it runs must never let it into a system file system: where the
// walk crosses into another, what is there decides.
TEST_F(HostileTreeTest, AMountMovedOrAddedDuringTheWalkNeverLetsItIntoProcOrSysfs) {
  for (const ReadAheadMode mode : {ReadAheadMode::kOff, ReadAheadMode::kAlways}) {
    const std::string tree = mode == ReadAheadMode::kOff ? "alone/" : "helped/";
    SCOPED_TRACE(tree);
    const int code = InPrivateMountNamespace([&] {
      for (const char* folder : {"", "a", "x", "x/inner", "x/inner/p", "later"}) Folder(tree + folder);
      Make(tree + "first.tmp");
      if (mount("proc", (root + tree + "x/inner/p").c_str(), "proc", 0, nullptr) != 0) return kNotAllowedHere;
      fs = MakePosixFileSystem(mode);
      testing::RecordingResults results;
      bool changed = false;
      results.whenAdded = [&](const std::string& line) {
        if (line != root + tree + "first.tmp") return;
        // After the walk has listed the top folder: the proc mount moves
        // with the folder that holds it, and sysfs comes.
        changed = rename((root + tree + "x/inner").c_str(), (root + tree + "a/inner").c_str()) == 0 &&
                  mkdir((root + tree + "later/s").c_str(), 0755) == 0 &&
                  mount("sysfs", (root + tree + "later/s").c_str(), "sysfs", 0, nullptr) == 0;
      };
      Outcome found = Search(root + tree, results);
      for (const std::string& message : found.messages) std::fprintf(stderr, "%s\n", message.c_str());
      std::fprintf(stderr, "folders: %lld\n", static_cast<long long>(found.folders));
      return changed && found.messages.empty() && found.folders == 6 &&
                     found.lines == std::vector<std::string>{root + tree + "first.tmp"}
                 ? 0
                 : 1;
    });
    if (code == kNotAllowedHere) CANNOT_RUN_HERE("mounting in a private namespace is not allowed here");
    EXPECT_EQ(code, 0);
  }
}

TEST_F(HostileTreeTest, TotalPastWhatASigned64BitSumHoldsIsExact) {
  for (const char* name : {"a.tmp", "b.tmp", "c.tmp"}) {
    const int fd = open((root + name).c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    const bool grown = ftruncate(fd, INT64_MAX) == 0;  // sparse: takes no space
    close(fd);
    if (!grown) CANNOT_RUN_HERE("this file system does not take files of 2^63 - 1 bytes");
  }
  EXPECT_EQ(DecimalDigits(Search(root).total), "27670116110564327421");
}

TEST_F(HostileTreeTest, FolderMountedInsideItselfIsSearchedOnce) {
  Folder("tree");
  Make("tree/once.tmp", "abc");
  Folder("tree/sub");
  Folder("tree/sub/loop");
  const int code = InPrivateMountNamespace([&] {
    if (mount((root + "tree").c_str(), (root + "tree/sub/loop").c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0) {
      return kNotAllowedHere;
    }
    Outcome found = Search(root + "tree/");
    return found.messages.empty() && found.folders == 1 &&
                   found.lines == std::vector<std::string>{root + "tree/once.tmp"} && found.total == 3u
               ? 0
               : 1;
  });
  if (code == kNotAllowedHere) CANNOT_RUN_HERE("mounting in a private namespace is not allowed here");
  EXPECT_EQ(code, 0);
}

TEST_F(HostileTreeTest, TheMountOnTopDecidesAndAnAutomountPointIsNeverSetOff) {
  // Where automount points cannot be made, a kernel file system stands in for
  // the one below.
  Folder("triggered");
  Folder("waiting");
  const int code = InPrivateMountNamespace([&] {
    // Nothing answers the automount's requests: a walk that set one off
    // would wait for ever, so the alarm ends it instead.
    alarm(60);
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return kNotAllowedHere;
    const std::string options = "fd=" + std::to_string(pipeFds[1]) + ",pgrp=" + std::to_string(getpgrp()) +
                                ",minproto=5,maxproto=5,direct";
    for (const char* point : {"triggered", "waiting"}) {
      if (mount("automount", (root + point).c_str(), "autofs", 0, options.c_str()) != 0 &&
          mount("proc", (root + point).c_str(), "proc", 0, nullptr) != 0) {
        return kNotAllowedHere;
      }
    }
    // The disk an automount would put on top of its point.
    if (mount("tmpfs", (root + "triggered").c_str(), "tmpfs", 0, nullptr) != 0) return kNotAllowedHere;
    std::ofstream(root + "triggered/on-top.tmp") << "x";
    Outcome found = Search(root);
    return found.messages.empty() && found.folders == 1 &&
                   found.lines == std::vector<std::string>{root + "triggered/on-top.tmp"}
               ? 0
               : 1;
  });
  if (code == kNotAllowedHere) CANNOT_RUN_HERE("mounting in a private namespace is not allowed here");
  EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace dustvane
