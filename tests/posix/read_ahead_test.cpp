// The search with the folders read ahead on helper threads: its results are
// exactly those of the walk alone, whatever changes meanwhile, nothing of the
// helpers outlives it, and nothing they meet keeps it from ending.

#include <dirent.h>
#include <fcntl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "search/find_files.h"
#include "search/posix/folder_record.h"
#include "search/posix/posix_file_system.h"
#include "tests/support/cannot_run_here.h"
#include "tests/support/chain_of_folders.h"
#include "tests/support/child_process.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/scratch_file_system.h"
#include "tests/support/search_run.h"
#include "tests/support/temp_folder.h"
#include "tests/support/unanswering_mount.h"

namespace dustvane {
namespace {

// Everything a search tells.
struct Outcome {
  std::vector<std::string> lines;
  std::vector<std::string> messages;
  int16_t files = 0;
  int16_t folders = 0;
  std::string total;
  bool operator==(const Outcome&) const = default;
};

Outcome Search(ReadAheadMode mode, const std::string& root, const std::string& refuse = "",
               std::function<void(const PathString&)> whenAdded = nullptr) {
  std::unique_ptr<FileSystem> fs = MakePosixFileSystem(mode);
  testing::RecordingResults results;
  if (!refuse.empty()) results.refuse = refuse;
  results.whenAdded = std::move(whenAdded);
  testing::RecordingMessages messages;
  const testing::SearchRun run = testing::RunSearch(*fs, results, messages, root);
  Outcome out;
  out.files = run.files;
  out.folders = run.folders;
  out.total = run.total.ok() ? DecimalDigits(run.total.value()) : ErrorMessageText(run.total.failure());
  out.lines = results.lines;
  out.messages = messages.texts;
  return out;
}

size_t EntriesIn(const char* folder) {
  DIR* dir = opendir(folder);
  if (dir == nullptr) {
    ADD_FAILURE() << "cannot count the entries of " << folder;
    return 0;
  }
  size_t count = 0;
  while (readdir(dir) != nullptr) ++count;
  closedir(dir);
  return count;
}
size_t Threads() { return EntriesIn("/proc/self/task"); }
size_t OpenDescriptors() { return EntriesIn("/proc/self/fd"); }

// The name of the first sub-folder a listing of `folder` gives.
std::string FirstSubFolder(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  std::string first;
  while (const dirent* entry = dir != nullptr ? readdir(dir) : nullptr) {
    if (entry->d_type == DT_DIR && std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      first = entry->d_name;
      break;
    }
  }
  if (dir != nullptr) closedir(dir);
  EXPECT_FALSE(first.empty()) << folder;
  return first;
}

// The same lines, in whatever order; the differences go to the log.
bool SameLines(std::vector<std::string> got, std::vector<std::string> expected) {
  std::sort(got.begin(), got.end());
  std::sort(expected.begin(), expected.end());
  if (got == expected) return true;
  for (const std::string& line : got) std::fprintf(stderr, "got:      %s\n", line.c_str());
  for (const std::string& line : expected) std::fprintf(stderr, "expected: %s\n", line.c_str());
  return false;
}

// A field of /proc/self/status, in KB.
long StatusKb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, field.size() + 1, field + ":") == 0) return std::atol(line.c_str() + field.size() + 1);
  }
  return -1;
}

// How far a search of `root` raises the peak memory of a process of its own.
[[maybe_unused]] long PeakMemoryGrowthKb(ReadAheadMode mode, const std::string& root) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  const int exitCode = testing::InChildProcess([&] {
#ifdef __GLIBC__
    // Memory the tests before this one freed would otherwise be reused
    // unseen.
    malloc_trim(0);
#endif
    // The peak starts at the parent's size when it forked; from here on.
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = StatusKb("VmRSS");
    Search(mode, root);
    const long growth = StatusKb("VmHWM") - before;
    return write(pipeFds[1], &growth, sizeof growth) == sizeof growth ? 0 : 1;
  });
  // The write end closed first: a child that died before writing reads as
  // the end of the pipe, not a wait for ever.
  close(pipeFds[1]);
  long growth = -1;
  if (exitCode != 0 || read(pipeFds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
  close(pipeFds[0]);
  return growth;
}

class ReadAheadTest : public ::testing::Test {
 protected:
  void Folder(const std::string& relative) { ASSERT_EQ(mkdir((root + relative).c_str(), 0755), 0) << relative; }
  void Make(const std::string& relative, const std::string& content = "") {
    std::ofstream(root + relative, std::ios::binary) << content;
  }

  // A tree of a few hundred folders drawn from a fixed seed: matches in any
  // case, hidden ones, decoys, links to folders and a loop back to the top,
  // FIFOs, a folder named like a match, and a chain deeper than the helpers
  // go (paths past 4,096 bytes).
  void MakeGeneratedTree() {
    uint64_t state = 20240917;
    auto next = [&state](uint64_t below) {
      state = state * 6364136223846793005u + 1442695040888963407u;
      return (state >> 33) % below;
    };
    std::vector<std::string> folders = {""};
    for (size_t i = 0; i < folders.size() && folders.size() < 400; ++i) {
      const std::string at = folders[i];
      const uint64_t subFolders = at.size() > 40 ? 0 : next(5);
      for (uint64_t k = 0; k < subFolders; ++k) {
        const std::string name = at + (next(6) == 0 ? ".d" : "d") + std::to_string(folders.size()) + "/";
        Folder(name);
        folders.push_back(name);
      }
      static const char* const kEndings[] = {".tmp", ".TMP", ".Tmp", ".tmpl", ".temp", "tmp"};
      for (uint64_t k = next(6); k > 0; --k) {
        Make(at + (next(5) == 0 ? "." : "") + std::to_string(k) + kEndings[next(6)], std::string(next(50), 'x'));
      }
      if (next(9) == 0) {
        ASSERT_EQ(symlink((root + folders[next(folders.size())]).c_str(), (root + at + "link.tmp").c_str()), 0);
      }
      if (next(15) == 0) {
        ASSERT_EQ(mkfifo((root + at + "fifo.tmp").c_str(), 0644), 0);
      }
    }
    ASSERT_EQ(symlink(root.c_str(), (root + "loop-to-top").c_str()), 0);
    Folder("old.tmp");
    Make("old.tmp/inside.tmp", "12345");
    Folder("deep");
    testing::MakeChainOfFolders(root, "deep/", "level", 700, 50);
  }

  void ExpectSameWithAndWithout(const std::string& where, const std::string& refuse = "") {
    const Outcome alone = Search(ReadAheadMode::kOff, where, refuse);
    EXPECT_GT(alone.folders, 0);
    EXPECT_EQ(Search(ReadAheadMode::kAlways, where, refuse), alone);
  }

  testing::TempFolder folder;
  std::string root = folder.path();
};

TEST_F(ReadAheadTest, GeneratedTreeGivesTheSameResultsWithAndWithoutReadAhead) {
  MakeGeneratedTree();
  ExpectSameWithAndWithout(root);
  // A refused line ends its level with a message halfway through the walk.
  ExpectSameWithAndWithout(root, Search(ReadAheadMode::kOff, root).lines.at(40));
}

TEST_F(ReadAheadTest, SameResultsWhenTheOpenFilesLimitLeavesTheHelpersAlmostNothing) {
  MakeGeneratedTree();
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  for (rlim_t limit : {16, 40}) {
    struct rlimit low = saved;
    low.rlim_cur = limit;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    ExpectSameWithAndWithout(root);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
  }
}

TEST_F(ReadAheadTest, OverflowAndForeignMountsGiveTheSameResultsWithAndWithoutReadAhead) {
  MakeGeneratedTree();
  Folder("many");
  for (int i = 0; i < 32800; ++i) Make("many/" + std::to_string(i) + ".tmp");
  Folder("proc");
  Folder("memory");
  Folder("self");
  const int code = testing::InPrivateMountNamespace([&] {
    if (mount("proc", (root + "proc").c_str(), "proc", 0, nullptr) != 0 ||
        mount("tmpfs", (root + "memory").c_str(), "tmpfs", 0, nullptr) != 0 ||
        mount(root.c_str(), (root + "self").c_str(), nullptr, MS_BIND, nullptr) != 0) {
      return testing::kNotAllowedHere;
    }
    std::ofstream(root + "memory/on-tmpfs.tmp") << "t";
    return Search(ReadAheadMode::kAlways, root) == Search(ReadAheadMode::kOff, root) ? 0 : 1;
  });
  if (code == testing::kNotAllowedHere) {
    ExpectSameWithAndWithout(root);  // no mounts allowed here: the overflow alone
  } else {
    EXPECT_EQ(code, 0);
  }
}

// Temporary files change all the time, and a listing the helpers read may be
// seconds old when the walk comes to its folder: the walk must find what the
// folder holds by then, on a file system that gives a folder made again the
// inode number of one just removed too.
TEST_F(ReadAheadTest, AFolderThatChangedAfterTheHelpersListedItIsListedAgainByTheWalk) {
  for (const testing::ScratchKind kind : {testing::ScratchKind::kTmpfs, testing::ScratchKind::kExt4}) {
    SCOPED_TRACE(testing::NameOf(kind));
    const std::string scratch = std::string("fs-") + (kind == testing::ScratchKind::kTmpfs ? "tmpfs/" : "ext4/");
    Folder(scratch);
    const std::string tree = root + scratch + "tree/";
    const int code = testing::InPrivateMountNamespace([&] {
      if (!testing::MountScratch(kind, root + scratch)) return testing::kNotAllowedHere;
      for (const char* folder : {"tree", "tree/a", "tree/a/a1", "tree/b", "tree/c"}) Folder(scratch + folder);
      for (const char* file : {"first.tmp", "a/gone.tmp", "a/kept.tmp", "a/a1/deep.tmp", "b/old.tmp", "c/old.tmp"}) {
        Make(scratch + "tree/" + file, "x");
      }
      // Older than a tick of the file system's clock, so that the helpers'
      // listings are worth keeping for the walk at all.
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      bool changed = false;
      const Outcome out = Search(ReadAheadMode::kAlways, tree, "", [&](const PathString& line) {
        if (line != tree + "first.tmp") return;
        // Time for the helpers to list the tree first; on a machine too busy
        // for that the walk lists it itself and the test proves less.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        changed = unlink((tree + "a/gone.tmp").c_str()) == 0 &&
                  rename((tree + "b").c_str(), (root + scratch + "b-was").c_str()) == 0 &&
                  mkdir((tree + "b").c_str(), 0755) == 0 && unlink((tree + "c/old.tmp").c_str()) == 0 &&
                  rmdir((tree + "c").c_str()) == 0 && mkdir((tree + "c").c_str(), 0755) == 0;
        Make(scratch + "tree/b/new.tmp", "yy");
        Make(scratch + "tree/c/again.tmp", "zzz");
      });
      const std::vector<std::string> expected = {tree + "first.tmp", tree + "a/kept.tmp", tree + "a/a1/deep.tmp",
                                                 tree + "b/new.tmp", tree + "c/again.tmp"};
      return changed && SameLines(out.lines, expected) && out.messages.empty() && out.total == "8" ? 0 : 1;
    });
    if (code == testing::kNotAllowedHere) CANNOT_RUN_HERE("mounting " << testing::NameOf(kind) << " is not allowed here");
    EXPECT_EQ(code, 0);
  }
}

// A file system that keeps whole seconds shows it in its records: no
// sub-second part and, on ext's small inodes, no birth time. A folder that
// changes twice within one second keeps one record, so a listing the helpers
// read between the two changes must never be taken on it.
TEST_F(ReadAheadTest, AListingIsNeverTakenOnTheRecordOfAFileSystemThatKeepsWholeSeconds) {
  Folder("whole-seconds");
  const int code = testing::InPrivateMountNamespace([&] {
    if (!testing::MountScratch(testing::ScratchKind::kExt4SmallInodes, root + "whole-seconds")) {
      return testing::kNotAllowedHere;
    }
    // The race needs the folder's change, the helpers' listing and the
    // deletion within one second: a machine too busy for that tries again.
    for (int attempt = 0; attempt < 5; ++attempt) {
      const std::string tree = root + "whole-seconds/" + std::to_string(attempt) + "/";
      while (FileSystemClockNow() % 1'000'000'000 > 100'000'000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      for (const char* folder : {"", "zz", "zz/sub"}) mkdir((tree + folder).c_str(), 0755);
      for (const char* file : {"first.tmp", "zz/sub/keep.tmp", "zz/x.tmp"}) std::ofstream(tree + file) << "x";
      // Older than a tick of a fine clock, so that only the whole seconds
      // keep the helpers' listing of zz from the walk.
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
      bool inOneSecond = false;
      const Outcome out = Search(ReadAheadMode::kAlways, tree, "", [&](const PathString& line) {
        if (line != tree + "first.tmp") return;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the helpers list zz
        struct stat before, after;
        inOneSecond = stat((tree + "zz").c_str(), &before) == 0 && unlink((tree + "zz/x.tmp").c_str()) == 0 &&
                      stat((tree + "zz").c_str(), &after) == 0 && before.st_ctim.tv_sec == after.st_ctim.tv_sec &&
                      before.st_ctim.tv_nsec == after.st_ctim.tv_nsec;
      });
      if (!inOneSecond) continue;
      return out.messages.empty() && SameLines(out.lines, {tree + "first.tmp", tree + "zz/sub/keep.tmp"}) ? 0 : 1;
    }
    std::fprintf(stderr, "never within one second\n");
    return 1;
  });
  if (code == testing::kNotAllowedHere) CANNOT_RUN_HERE("no loop device or mount namespace here");
  EXPECT_EQ(code, 0);
}

// After the folder count is full, the walk descends no more. A helper that
// went ahead into a file system that never answers must neither keep the
// search from ending nor, once its call returns, keep anything of it.
TEST_F(ReadAheadTest, ASearchEndsThoughAHelperWaitsOnAFileSystemThatNeverAnswers) {
  Make("first.tmp");
  Folder("wide");
  const int wide = open((root + "wide").c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < 32800; ++i) ASSERT_EQ(mkdirat(wide, std::to_string(i).c_str(), 0755), 0);
  close(wide);
  // The first sub-folder the helpers read, whatever the file system's order.
  const std::string hung = root + "wide/" + FirstSubFolder(root + "wide") + "/hung";
  ASSERT_EQ(mkdir(hung.c_str(), 0755), 0);
  const int code = testing::InPrivateMountNamespace([&] {
    alarm(30);  // a search that never ends is ended here, and fails the test
    const size_t threads = Threads();
    const size_t descriptors = OpenDescriptors();
    testing::UnansweringMount mount;
    if (!mount.Mount(hung)) return testing::kNotAllowedHere;
    const auto start = std::chrono::steady_clock::now();
    const Outcome out = Search(ReadAheadMode::kAlways, root, "", [&](const PathString& line) {
      // Time for a helper to reach the mount before the walk fills its count.
      if (line == root + "first.tmp") std::this_thread::sleep_for(std::chrono::milliseconds(500));
    });
    std::fprintf(stderr, "search with its pause took %.2f s\n",
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    const bool overflowed = out.messages == std::vector<std::string>{"Error: 6 - Overflow"};
    // The mount lets go of the helper's call; the helper then lets go of all.
    mount.Close();
    for (int wait = 0; wait < 100 && (Threads() != threads || OpenDescriptors() != descriptors); ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return overflowed && Threads() == threads && OpenDescriptors() == descriptors ? 0 : 1;
  });
  if (code == testing::kNotAllowedHere) CANNOT_RUN_HERE("no FUSE mount in a private namespace here");
  EXPECT_EQ(code, 0);
}

// Sanitizers keep freed memory for a while, so peak memory tells nothing
// there: the sanitizer build leaves this test out rather than skip it.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// The helpers' memory stays the same whatever the size of the folders they
// read; the walk's own grows with the widest folder, as it must.
TEST_F(ReadAheadTest, HelpersTakeAFixedAmountOfMemoryWhateverTheFoldersSize) {
  // Ten folders of 8,000 entries with names of 200 bytes: 1.6 MB of names each.
  for (int folder = 0; folder < 10; ++folder) {
    const std::string name = "wide" + std::to_string(folder);
    Folder(name);
    const int fd = open((root + name).c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 8000; ++i) {
      const std::string file = std::to_string(i) + std::string(190, 'n') + ".txt";
      close(openat(fd, file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
    }
    close(fd);
  }
  const long alone = PeakMemoryGrowthKb(ReadAheadMode::kOff, root);
  const long helped = PeakMemoryGrowthKb(ReadAheadMode::kAlways, root);
  std::fprintf(stderr, "peak memory growth: walk alone %ld KB, with helpers %ld KB\n", alone, helped);
  EXPECT_GT(alone, 1000);  // the walk did hold a wide folder's listing
  EXPECT_GE(helped, 0);    // the search with helpers ran to its end
  EXPECT_LE(helped, alone + 8 * 1024);
}
#endif

TEST_F(ReadAheadTest, NoHelperThreadOrFolderOutlivesASearchEvenOneEndedByAMessage) {
  MakeGeneratedTree();
  const size_t threads = Threads();
  const size_t descriptors = OpenDescriptors();
  size_t mostThreads = 0;
  {
    std::unique_ptr<FileSystem> fs = MakePosixFileSystem(ReadAheadMode::kAlways);
    testing::RecordingResults results;
    results.whenAdded = [&](const PathString&) { mostThreads = std::max(mostThreads, Threads()); };
    results.refuse = Search(ReadAheadMode::kOff, root).lines.at(20);
    testing::RecordingMessages messages;
    SearchContext context{*fs, results, messages};
    for (int failingShows : {0, 1000}) {
      // The second search ends at its first message: showing it fails, at
      // every level on the way out.
      messages.failNextShows = failingShows;
      int16_t files = 0, folders = 0;
      PathString path = root;
      const Result<ByteTotal> total = FindFiles(context, path, "*.tmp", files, folders);
      EXPECT_EQ(total.ok(), failingShows == 0);
      fs->CloseFolders();
      EXPECT_EQ(Threads(), threads);
      EXPECT_EQ(OpenDescriptors(), descriptors);
    }
    EXPECT_GT(mostThreads, threads);  // the helpers did run
  }
  {
    // A program that ends during a search lets go of the layer in the middle
    // of a walk, without closing its folders first.
    std::unique_ptr<FileSystem> fs = MakePosixFileSystem(ReadAheadMode::kAlways);
    ASSERT_TRUE(fs->EnumFirst(root, kFoldersAndFilesMask).ok());
  }
  EXPECT_EQ(Threads(), threads);
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

}  // namespace
}  // namespace dustvane
