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
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "search/find_files.h"
#include "search/posix/folder_record.h"
#include "search/posix/folder_walk.h"
#include "search/posix/posix_file_system.h"
#include "search/posix/read_ahead_queue.h"
#include "tests/support/cannot_run_here.h"
#include "tests/support/chain_of_folders.h"
#include "tests/support/child_process.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/folder_key.h"
#include "tests/support/scratch_file_system.h"
#include "tests/support/search_run.h"
#include "tests/support/temp_folder.h"
#include "tests/support/unanswering_mount.h"

namespace dustvane {
namespace {

// Every way of reading ahead, each held against the walk alone.
const ReadAheadMode kReadingAhead[] = {ReadAheadMode::kWhenCold, ReadAheadMode::kAlways};

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
// Threads the read-ahead started (not those a sanitizer's runtime starts for itself).
size_t Threads() {
  size_t count = 0;
  DIR* dir = opendir("/proc/self/task");
  while (const dirent* entry = dir != nullptr ? readdir(dir) : nullptr) {
    std::string name;
    std::getline(std::ifstream(std::string("/proc/self/task/") + entry->d_name + "/comm"), name);
    count += name == kHelperName ? 1 : 0;
  }
  if (dir != nullptr) closedir(dir);
  return count;
}
// Descriptors open, the listing's own among them, but the watch instance a
// search keeps for Delete, which holds no folder open (folder_proof.h).
size_t OpenDescriptors() {
  size_t count = EntriesIn("/proc/self/fd");
  char target[32];
  for (int fd = 0; fd < 1024; ++fd) {
    const ssize_t length = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target);
    if (length > 0 && std::string_view(target, static_cast<size_t>(length)) == "anon_inode:inotify") --count;
  }
  return count;
}

// Waits until helpers have listed more folders than `before` in all, a few
// seconds at most.
bool HelpersListedSince(uint64_t before) {
  for (int wait = 0; wait < 500 && FoldersListedAheadSoFar() == before; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return FoldersListedAheadSoFar() != before;
}

// Whether the helpers are gone and the folders closed again, down to
// `threads` and `descriptors`. The end of a search waits for helpers a
// quarter of a second at most: on a busy machine one may end a little later.
bool LetGoOf(size_t threads, size_t descriptors) {
  for (int wait = 0; wait < 100 && (Threads() != threads || OpenDescriptors() != descriptors); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return Threads() == threads && OpenDescriptors() == descriptors;
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

// How far a search of `root` raises the peak memory of a process of its own,
// and how many folders helpers listed in it.
struct MemoryGrowth {
  long kb = -1;
  uint64_t listedAhead = 0;
};
[[maybe_unused]] MemoryGrowth PeakMemoryGrowth(ReadAheadMode mode, const std::string& root) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {};
  const int exitCode = testing::InChildProcess([&] {
#ifdef __GLIBC__
    // Memory the tests before this one freed would otherwise be reused
    // unseen.
    malloc_trim(0);
#endif
    // The peak starts at the parent's size when it forked; from here on.
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = StatusKb("VmRSS");
    const uint64_t listedBefore = FoldersListedAheadSoFar();
    Search(mode, root);
    const MemoryGrowth growth{StatusKb("VmHWM") - before, FoldersListedAheadSoFar() - listedBefore};
    return write(pipeFds[1], &growth, sizeof growth) == sizeof growth ? 0 : 1;
  });
  // The write end closed first: a child that died before writing reads as
  // the end of the pipe, not a wait for ever.
  close(pipeFds[1]);
  MemoryGrowth growth;
  if (exitCode != 0 || read(pipeFds[0], &growth, sizeof growth) != sizeof growth) growth = MemoryGrowth();
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
  }

  // A chain of folders, each with an empty one beside it and a match every
  // 50 levels: deeper than any descriptor budget.
  void MakeDeepTree() {
    Folder("deep");
    testing::MakeChainOfFolders(root, "deep/", "level", 700, 50, "side");
  }

  // One folder of many sub-folders, each with a match and a decoy.
  void MakeWideTree() {
    Folder("wide");
    for (int i = 0; i < 2000; ++i) {
      const std::string name = "wide/" + std::to_string(i);
      Folder(name);
      Make(name + "/m.tmp", std::to_string(i));
      Make(name + "/decoy.tmpl");
    }
  }

  // One folder of many files, one in ten a match.
  void MakeFlatTree() {
    Folder("flat");
    const int fd = open((root + "flat").c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 20000; ++i) {
      const std::string name = std::to_string(i) + (i % 10 == 0 ? ".tmp" : ".txt");
      close(openat(fd, name.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
    }
    close(fd);
  }

  testing::TempFolder folder;
  std::string root = folder.path();
};

TEST_F(ReadAheadTest, EveryWayOfReadingAheadGivesTheWalkAlonesResultsOnEveryShapeOfTree) {
  MakeGeneratedTree();
  MakeDeepTree();
  MakeWideTree();
  MakeFlatTree();
  const Outcome alone = Search(ReadAheadMode::kOff, root);
  ASSERT_GT(alone.folders, 3000);
  // A refused line ends its level with a message halfway through the walk.
  const std::string refused = alone.lines.at(alone.lines.size() / 2);
  const Outcome aloneRefused = Search(ReadAheadMode::kOff, root, refused);
  // The flat tree has no sub-folder to read ahead: it counts in the whole.
  const std::vector<std::pair<std::string, Outcome>> shapes = {
      {"deep/", Search(ReadAheadMode::kOff, root + "deep/")},
      {"wide/", Search(ReadAheadMode::kOff, root + "wide/")},
  };
  const uint64_t listedBefore = FoldersListedAheadSoFar();
  for (const ReadAheadMode mode : kReadingAhead) {
    SCOPED_TRACE(static_cast<int>(mode));
    for (const auto& [shape, shapeAlone] : shapes) EXPECT_EQ(Search(mode, root + shape), shapeAlone) << shape;
    EXPECT_EQ(Search(mode, root), alone);  // all of them, beside a generated tree
    EXPECT_EQ(Search(mode, root, refused), aloneRefused);
  }
  EXPECT_GT(FoldersListedAheadSoFar(), listedBefore);  // the helpers did read ahead
}

// Under a low open-files limit the walk keeps a few folders open and the
// helpers next to none, and nothing runs out or is left open.
TEST_F(ReadAheadTest, ALowOpenFilesLimitNeverRunsOutAndLeavesNothingOpen) {
  MakeDeepTree();
  MakeWideTree();
  const int code = testing::InChildProcess([&] {
    struct rlimit low;
    for (const rlim_t limit : {16, 40}) {
      if (getrlimit(RLIMIT_NOFILE, &low) != 0) return testing::kNotAllowedHere;
      low.rlim_cur = limit;
      if (setrlimit(RLIMIT_NOFILE, &low) != 0) return testing::kNotAllowedHere;
      const size_t descriptors = OpenDescriptors();
      const Outcome alone = Search(ReadAheadMode::kOff, root);
      for (const ReadAheadMode mode : kReadingAhead) {
        const Outcome helped = Search(mode, root);
        for (const std::string& message : helped.messages) std::fprintf(stderr, "%s\n", message.c_str());
        if (!(helped == alone) || !helped.messages.empty() || !LetGoOf(0, descriptors)) {
          std::fprintf(stderr, "mode %d, limit %d: %zu helpers and %zu descriptors left, of %zu\n", static_cast<int>(mode),
                       static_cast<int>(limit), Threads(), OpenDescriptors(), descriptors);
          return 1;
        }
      }
    }
    return 0;
  });
  if (code == testing::kNotAllowedHere) CANNOT_RUN_HERE("lowering the open-files limit is not allowed here");
  EXPECT_EQ(code, 0);
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
  if (code == testing::kNotAllowedHere) CANNOT_RUN_HERE("mounting in a private namespace is not allowed here");
  EXPECT_EQ(code, 0);
}

// What may happen to a folder between a helper's reading it and the walk's
// coming to it. Each row changes "x" of a tree (first.tmp, x/a.tmp,
// x/b.tmp); `aside` is a folder on the same file system, beside the tree.
struct Race {
  const char* what;
  bool (*change)(const std::string& tree, const std::string& aside);
};

bool MakeFile(const std::string& path) { return static_cast<bool>(std::ofstream(path) << "z"); }

const Race kRaces[] = {
    {"nothing", [](const std::string&, const std::string&) { return true; }},
    {"an entry added", [](const std::string& tree, const std::string&) { return MakeFile(tree + "x/new.tmp"); }},
    {"an entry removed", [](const std::string& tree, const std::string&) { return unlink((tree + "x/a.tmp").c_str()) == 0; }},
    {"an entry renamed",
     [](const std::string& tree, const std::string&) {
       return rename((tree + "x/a.tmp").c_str(), (tree + "x/c.tmp").c_str()) == 0;
     }},
    {"the folder renamed away, another put in its place",
     [](const std::string& tree, const std::string& aside) {
       return rename((tree + "x").c_str(), (aside + "x").c_str()) == 0 && mkdir((tree + "x").c_str(), 0755) == 0 &&
              MakeFile(tree + "x/other.tmp");
     }},
    {"the folder replaced by a link",
     [](const std::string& tree, const std::string& aside) {
       return rename((tree + "x").c_str(), (aside + "x").c_str()) == 0 &&
              symlink((aside + "x").c_str(), (tree + "x").c_str()) == 0;
     }},
    {"the folder deleted and made again",
     [](const std::string& tree, const std::string&) {
       return unlink((tree + "x/a.tmp").c_str()) == 0 && unlink((tree + "x/b.tmp").c_str()) == 0 &&
              rmdir((tree + "x").c_str()) == 0 && mkdir((tree + "x").c_str(), 0755) == 0 &&
              MakeFile(tree + "x/again.tmp");
     }},
    {"tmpfs mounted on it",
     [](const std::string& tree, const std::string&) {
       return mount("tmpfs", (tree + "x").c_str(), "tmpfs", 0, nullptr) == 0 && MakeFile(tree + "x/on-tmpfs.tmp");
     }},
    {"proc mounted on it",
     [](const std::string& tree, const std::string&) {
       return mount("proc", (tree + "x").c_str(), "proc", 0, nullptr) == 0;
     }},
    {"it bind-mounted on itself",
     [](const std::string& tree, const std::string&) {
       return mount((tree + "x").c_str(), (tree + "x").c_str(), nullptr, MS_BIND, nullptr) == 0;
     }},
};

// Searches a fresh tree for the race `row` with `mode`, the change made after
// the walk has listed the top folder and, reading ahead, after a helper has
// answered for "x".
Outcome SearchThroughRace(const std::string& scratch, size_t row, ReadAheadMode mode) {
  const std::string top = scratch + std::to_string(row) + (mode == ReadAheadMode::kOff ? "-alone/" : "-helped/");
  const std::string tree = top + "tree/";
  bool made = mkdir(top.c_str(), 0755) == 0 && mkdir((top + "aside").c_str(), 0755) == 0 &&
              mkdir(tree.c_str(), 0755) == 0 && mkdir((tree + "x").c_str(), 0755) == 0;
  for (const char* file : {"first.tmp", "x/a.tmp", "x/b.tmp"}) made = made && MakeFile(tree + file);
  const uint64_t listed = FoldersListedAheadSoFar();
  bool changed = false;
  Outcome out = Search(mode, tree, "", [&](const PathString& line) {
    if (line != tree + "first.tmp") return;
    const bool answered = mode == ReadAheadMode::kOff || HelpersListedSince(listed);
    changed = made && answered && kRaces[row].change(tree, top + "aside/");
  });
  if (!changed) out.messages.push_back("the change was not made, or no helper answered first");
  for (std::string& line : out.lines) line.erase(0, tree.size());
  return out;
}

TEST_F(ReadAheadTest, WhatChangesBetweenAHelpersAnswerAndTheWalksComingGivesTheWalkAlonesResult) {
  for (const testing::ScratchKind kind : {testing::ScratchKind::kTmpfs, testing::ScratchKind::kExt4}) {
    SCOPED_TRACE(testing::NameOf(kind));
    const std::string scratch = root + (kind == testing::ScratchKind::kTmpfs ? "tmpfs/" : "ext4/");
    Folder(scratch.substr(root.size()));
    const int code = testing::InPrivateMountNamespace([&] {
      if (!testing::MountScratch(kind, scratch)) return testing::kNotAllowedHere;
      int failures = 0;
      for (size_t row = 0; row < std::size(kRaces); ++row) {
        const Outcome alone = SearchThroughRace(scratch, row, ReadAheadMode::kOff);
        const Outcome helped = SearchThroughRace(scratch, row, ReadAheadMode::kAlways);
        if (!(helped == alone)) {
          std::fprintf(stderr, "%s\n", kRaces[row].what);
          for (const std::string& line : helped.lines) std::fprintf(stderr, "  helped %s\n", line.c_str());
          for (const std::string& line : helped.messages) std::fprintf(stderr, "  helped: %s\n", line.c_str());
          for (const std::string& line : alone.lines) std::fprintf(stderr, "  alone  %s\n", line.c_str());
          for (const std::string& line : alone.messages) std::fprintf(stderr, "  alone: %s\n", line.c_str());
          ++failures;
        }
      }
      return failures == 0 ? 0 : 1;
    });
    if (code == testing::kNotAllowedHere) CANNOT_RUN_HERE("mounting " << testing::NameOf(kind) << " is not allowed here");
    EXPECT_EQ(code, 0);
  }
}

// A folder on a file system that keeps whole seconds (ext's small inodes)
// that changes twice within one second keeps one record: what the walk
// lists of it is still what it holds when the walk comes, not what a helper
// saw between the two changes.
TEST_F(ReadAheadTest, AFolderThatChangesTwiceInOneSecondIsListedAsItIsWhenTheWalkComes) {
  Folder("whole-seconds");
  const int code = testing::InPrivateMountNamespace([&] {
    if (!testing::MountScratch(testing::ScratchKind::kExt4SmallInodes, root + "whole-seconds")) {
      return testing::kNotAllowedHere;
    }
    // The race needs the folder's change, the helpers' listing and the
    // deletion within one second: a machine too busy for that tries again.
    for (int attempt = 0; attempt < 5; ++attempt) {
      const std::string tree = root + "whole-seconds/" + std::to_string(attempt) + "/";
      while (std::chrono::system_clock::now().time_since_epoch() % std::chrono::seconds(1) >
             std::chrono::milliseconds(100)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      for (const char* folder : {"", "zz", "zz/sub"}) mkdir((tree + folder).c_str(), 0755);
      for (const char* file : {"first.tmp", "zz/sub/keep.tmp", "zz/x.tmp"}) std::ofstream(tree + file) << "x";
      const uint64_t listed = FoldersListedAheadSoFar();
      bool inOneSecond = false;
      const Outcome out = Search(ReadAheadMode::kAlways, tree, "", [&](const PathString& line) {
        if (line != tree + "first.tmp" || !HelpersListedSince(listed)) return;
        struct stat before, after;
        inOneSecond = stat((tree + "zz").c_str(), &before) == 0 && unlink((tree + "zz/x.tmp").c_str()) == 0 &&
                      stat((tree + "zz").c_str(), &after) == 0 && before.st_ctim.tv_sec == after.st_ctim.tv_sec &&
                      before.st_ctim.tv_nsec == after.st_ctim.tv_nsec;
      });
      if (!inOneSecond) continue;
      return out.messages.empty() && SameLines(out.lines, {tree + "first.tmp", tree + "zz/sub/keep.tmp"})
                 ? 0
                 : 1;
    }
    std::fprintf(stderr, "never within one second\n");
    return 1;
  });
  if (code == testing::kNotAllowedHere) CANNOT_RUN_HERE("no loop device or mount namespace here");
  EXPECT_EQ(code, 0);
}

// An encrypted folder shows other names once its key is added or removed,
// and no helper may keep it open (which would keep a key that goes in use):
// the walk lists what it shows when the walk comes, as the walk alone does.
TEST_F(ReadAheadTest, AFolderWhoseNamesAKeyChangesShowsWhatTheWalkAloneShows) {
  Folder("scratch");
  const std::string tree = root + "scratch/";
  const int code = testing::InPrivateMountNamespace([&] {
    if (!testing::MountScratch(testing::ScratchKind::kExt4Encrypting, tree)) return testing::kNotAllowedHere;
    Descriptor top(open(tree.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    testing::FolderKey key;
    if (mkdir((tree + "x").c_str(), 0755) != 0 || !key.Add(top.get())) return 2;
    {
      Descriptor x(open((tree + "x").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      if (!key.Encrypt(x.get())) return testing::kNotAllowedHere;
    }
    for (const char* file : {"first.tmp", "x/a.tmp", "x/b.tmp"}) std::ofstream(tree + file) << "z";
    for (const bool keyComes : {true, false}) {
      std::vector<std::string> lines[2];
      for (const ReadAheadMode mode : {ReadAheadMode::kOff, ReadAheadMode::kAlways}) {
        // The key comes, or goes, while the walk is at the top, after a
        // helper has had time to read ahead.
        if (!(keyComes ? key.Remove(top.get()) : key.Add(top.get()))) return 2;
        const uint64_t listed = FoldersListedAheadSoFar();
        lines[mode == ReadAheadMode::kAlways] = Search(mode, tree, "", [&](const PathString& line) {
          if (line != tree + "first.tmp" || !(mode == ReadAheadMode::kOff || HelpersListedSince(listed))) return;
          if (!(keyComes ? key.Add(top.get()) : key.Remove(top.get()))) std::fprintf(stderr, "the key stayed\n");
        }).lines;
      }
      if (!SameLines(lines[1], lines[0]) || lines[0].size() != (keyComes ? 3u : 1u)) return 1;
    }
    return 0;
  });
  if (code == testing::kNotAllowedHere) CANNOT_RUN_HERE("no encrypting ext4 on a loop device here");
  EXPECT_EQ(code, 0);
}

// A helper kept by a file system that never answers: Stop leaves it, and
// when the file system lets go of its call, it ends and lets go of all it
// held, the anchor of its request included.
TEST(ReadAheadQueueTest, StopLeavesAHelperKeptByAFileSystemThatNeverAnswersWhichLetsGoOfAllLater) {
  testing::TempFolder folder;
  const std::string hung = folder.path() + "hung";
  ASSERT_EQ(mkdir(hung.c_str(), 0755), 0);
  const int code = testing::InPrivateMountNamespace([&] {
    alarm(30);  // a Stop that waits for the helper is ended here, and fails the test
    const size_t threads = Threads();
    const size_t descriptors = OpenDescriptors();
    testing::UnansweringMount mount;
    if (!mount.Mount(hung)) return testing::kNotAllowedHere;
    // A path-only descriptor asks the file system nothing; a helper's open in it does.
    Descriptor parent(open(hung.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    {
      ReadAheadQueue queue(4);
      queue.StartHelpers(1, parent.get());
      ReadAheadQueue::Slot* request = queue.Request(queue.AddAnchor(parent.get()), "inside/", "", &parent);
      queue.WakeOneIfBehind();
      for (int wait = 0; request != nullptr && queue.Look(*request) != ReadAheadQueue::Progress::kTaken && wait < 500;
           ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      if (request == nullptr || queue.Look(*request) != ReadAheadQueue::Progress::kTaken) return 2;
      queue.Stop();
      parent.reset();
    }
    mount.Close();
    return LetGoOf(threads, descriptors) ? 0 : 1;
  });
  if (code == testing::kNotAllowedHere) CANNOT_RUN_HERE("no FUSE mount in a private namespace here");
  EXPECT_EQ(code, 0);
}

// Once the file count is full, the folder where it overflowed ends without
// its sub-folders, and no helper crosses into another file system: one that
// never answers, ahead of the walk, keeps nothing of the search.
TEST_F(ReadAheadTest, ASearchEndsThoughAFileSystemThatNeverAnswersLiesAhead) {
  Make("first.tmp");
  Folder("full");
  const int full = open((root + "full").c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < 32800; ++i) close(openat(full, (std::to_string(i) + ".tmp").c_str(), O_CREAT | O_WRONLY, 0644));
  close(full);
  const std::string hung = root + "full/below/hung";
  ASSERT_EQ(mkdir((root + "full/below").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(hung.c_str(), 0755), 0);
  const int code = testing::InPrivateMountNamespace([&] {
    alarm(30);  // a search that never ends is ended here, and fails the test
    const size_t threads = Threads();
    const size_t descriptors = OpenDescriptors();
    testing::UnansweringMount mount;
    if (!mount.Mount(hung)) return testing::kNotAllowedHere;
    const Outcome out = Search(ReadAheadMode::kAlways, root, "", [&](const PathString& line) {
      // Time for the helpers to reach the mount before the walk fills its count.
      if (line == root + "first.tmp") std::this_thread::sleep_for(std::chrono::milliseconds(500));
    });
    const bool overflowed = out.messages == std::vector<std::string>{"Error: 6 - Overflow"};
    mount.Close();
    return overflowed && LetGoOf(threads, descriptors) ? 0 : 1;
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
  const MemoryGrowth alone = PeakMemoryGrowth(ReadAheadMode::kOff, root);
  const MemoryGrowth helped = PeakMemoryGrowth(ReadAheadMode::kAlways, root);
  std::fprintf(stderr, "peak memory growth: walk alone %ld KB, with helpers %ld KB\n", alone.kb, helped.kb);
  EXPECT_GT(alone.kb, 1000);            // the walk did hold a wide folder's listing
  EXPECT_GT(helped.listedAhead, 0u);    // and helpers did read ahead of it
  EXPECT_LE(helped.kb, alone.kb + 8 * 1024);
}
#endif

// However many searches one layer makes, in whatever way it reads ahead:
// what a search closes on a helper never stays open, even when the
// helpers' queue is full.
TEST_F(ReadAheadTest, NoHelperThreadOrFolderIsLeftAfterAnySearchEvenOneEndedByAMessage) {
  MakeGeneratedTree();
  const size_t threads = Threads();
  const size_t descriptors = OpenDescriptors();
  size_t mostThreads = 0;
  for (const ReadAheadMode mode : kReadingAhead) {
    SCOPED_TRACE(static_cast<int>(mode));
    std::unique_ptr<FileSystem> fs = MakePosixFileSystem(mode);
    testing::RecordingResults results;
    results.whenAdded = [&](const PathString&) { mostThreads = std::max(mostThreads, Threads()); };
    results.refuse = Search(ReadAheadMode::kOff, root).lines.at(20);
    testing::RecordingMessages messages;
    for (int search = 0; search < 200; ++search) {
      // The second search ends at its first message: showing it fails, at
      // every level on the way out.
      const int failingShows = search == 1 ? 1000 : 0;
      messages.failNextShows = failingShows;
      EXPECT_EQ(testing::RunSearch(*fs, results, messages, root).total.ok(), failingShows == 0);
      if (!LetGoOf(threads, descriptors)) {
        ADD_FAILURE() << "search " << search << " left " << OpenDescriptors() - descriptors << " descriptors open";
        break;
      }
    }
  }
  EXPECT_GT(mostThreads, threads);  // the helpers did run
  {
    // A program that ends during a search lets go of the layer in the middle
    // of a walk, without closing its folders first.
    std::unique_ptr<FileSystem> fs = MakePosixFileSystem(ReadAheadMode::kAlways);
    ASSERT_TRUE(fs->EnumFirst(root, kFoldersAndFilesMask).ok());
  }
  EXPECT_TRUE(LetGoOf(threads, descriptors));
}

}  // namespace
}  // namespace dustvane
