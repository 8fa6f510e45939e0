// Delete after a search, when what lies on a listed path changed meanwhile:
// the file goes only where the path still leads through the very folders
// the search walked, and otherwise nothing goes, as for a file that is gone.

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
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

// Makes `file` (a relative path) and the folders it lies in under `top`,
// holding `content`.
bool MakeFile(const std::string& top, const std::string& file, const std::string& content = "x") {
  if (mkdir(top.c_str(), 0755) != 0 && errno != EEXIST) return false;
  for (size_t slash = file.find('/'); slash != std::string::npos; slash = file.find('/', slash + 1)) {
    const std::string folder = top + file.substr(0, slash);
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  std::ofstream(top + file) << content;
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

// A medium on a loop device, as a USB stick or an SD card in a reader: the
// device stays, what it holds may be another medium later.
bool Shell(const std::string& command) { return std::system(("{ " + command + "; } >/dev/null 2>&1").c_str()) == 0; }

// The loop device of `image`, attached without autoclear, so that it stays
// while its medium is changed; empty where none can be had.
std::string AttachLoop(const std::string& image) {
  FILE* out = popen(("losetup --show -f '" + image + "' 2>/dev/null").c_str(), "r");
  if (out == nullptr) return "";
  char line[64] = "";
  const bool read = std::fgets(line, sizeof line, out) != nullptr;
  pclose(out);
  std::string device = read ? line : "";
  while (!device.empty() && device.back() == '\n') device.pop_back();
  return device;
}

// Detaches the loop device once nothing holds it: the namespace's end
// unmounts what is still mounted, whatever the test came to.
struct LoopDevice {
  std::string path;
  ~LoopDevice() {
    if (!path.empty()) Shell("losetup -d " + path);
  }
};

// The file systems a medium may carry, each made by its own tool.
struct Medium {
  const char* type;  // as the kernel names it
  const char* make;  // the command that makes one on the image that follows
};
const Medium kVfat{"vfat", "mkfs.vfat"};
const Medium kF2fs{"f2fs", "mkfs.f2fs -q -f"};
const Medium kExt4{"ext4", "mkfs.ext4 -q -F"};
const Medium kBtrfs{"btrfs", "mkfs.btrfs -q -f"};

bool KernelHas(const char* type) {
  std::ifstream known("/proc/filesystems");
  for (std::string line; std::getline(known, line);) {
    if (line.substr(line.find('\t') + 1) == type) return true;
  }
  return Shell(std::string("modprobe ") + type) && KernelHas(type);
}

// The files of a medium: one three folders deep, one beside, one at the top;
// `content` tells one medium's from another's.
constexpr const char* kMediumFiles[] = {"a/b/c/x.tmp", "s/x.tmp", "top.tmp"};

// Makes a medium of `medium` in `image`, its files holding `content`.
bool MakeMedium(const Medium& medium, const std::string& image, const std::string& content) {
  const std::string point = image + ".mnt";
  bool made = Shell("truncate -s 128M '" + image + "' && " + medium.make + " '" + image + "'") &&
              mkdir(point.c_str(), 0755) == 0 && Shell("mount -o loop '" + image + "' '" + point + "'");
  for (const char* file : kMediumFiles) made = made && MakeFile(point + "/", file, content);
  return Shell("umount '" + point + "'") && made;
}

// What happens to the medium mounted from a loop device after the search.
enum class MediumChange {
  kNothing,
  kAnotherMedium,  // unmounted, another one made on its own put in the reader, mounted there again
  kAClone,         // the same, the other one a copy of the first, a file changed since
  kRolledBack,     // btrfs: the subvolume "vol" deleted, a snapshot of "backup" put in its place
};

struct MediumRow {
  const char* what;
  const Medium& medium;
  MediumChange change;
  bool searchAbove;  // the folder that holds the mount point is searched, not the mount point
  const char* listed;  // the line deleted: one of the medium's files
};

const MediumRow kMediumRows[] = {
    {"a vfat stick replaced by another", kVfat, MediumChange::kAnotherMedium, false, "top.tmp"},
    {"an f2fs card replaced by another", kF2fs, MediumChange::kAnotherMedium, true, "a/b/c/x.tmp"},
    {"an ext4 disk replaced by its clone", kExt4, MediumChange::kAClone, true, "a/b/c/x.tmp"},
    {"a btrfs subvolume rolled back", kBtrfs, MediumChange::kRolledBack, false, "a/b/c/x.tmp"},
    {"an ext4 disk left alone", kExt4, MediumChange::kNothing, false, "a/b/c/x.tmp"},
};

// Makes the change of `row` to the medium mounted on `point` from `device`;
// `other` is the image of the medium put in its place.
bool ChangeMedium(const MediumRow& row, const std::string& point, const std::string& other, const std::string& device) {
  switch (row.change) {
    case MediumChange::kNothing: return true;
    case MediumChange::kAClone:
      if (!Shell("mount -o loop '" + other + "' '" + other + ".mnt'") ||
          !MakeFile(other + ".mnt/", row.listed, "second") || !Shell("umount '" + other + ".mnt'")) {
        return false;
      }
      [[fallthrough]];
    case MediumChange::kAnotherMedium:
      return Shell("umount '" + point + "'") && Shell("dd if='" + other + "' of=" + device + " bs=1M conv=fsync") &&
             Shell("mount " + device + " '" + point + "'");
    case MediumChange::kRolledBack:
      // Once the deleted subvolume is cleaned up, its device number is free.
      return Shell("btrfs subvolume delete -C '" + point + "/vol' && btrfs subvolume sync '" + point + "'") &&
             Shell("btrfs subvolume snapshot '" + point + "/backup' '" + point + "/vol'");
  }
  return false;
}

// Makes the medium of `row` at `top`, searches it, changes it, and deletes
// its listed file; 0 when only what the line names went, and nothing where
// it no longer leads to the folders the search walked.
int SearchMediumChangeAndDelete(const MediumRow& row, const std::string& top) {
  const std::string image = top + "first", other = top + "second", point = top + "above/point";
  const bool rollback = row.change == MediumChange::kRolledBack;
  if (!MakeMedium(row.medium, image, "first") || mkdir((top + "above").c_str(), 0755) != 0 ||
      mkdir(point.c_str(), 0755) != 0) {
    return 2;
  }
  if (row.change == MediumChange::kAClone) {
    if (!Shell("cp --sparse=always '" + image + "' '" + other + "'") || mkdir((other + ".mnt").c_str(), 0755) != 0) return 2;
  } else if (row.change == MediumChange::kAnotherMedium && !MakeMedium(row.medium, other, "second")) {
    return 2;
  }
  LoopDevice loop{AttachLoop(image)};
  if (loop.path.empty() || !Shell("mount " + loop.path + " '" + point + "'")) return testing::kNotAllowedHere;
  const std::string files = point + (rollback ? "/vol/" : "/");
  if (rollback && !(Shell("btrfs subvolume create '" + files + "' && mv '" + point + "/a' '" + files + "'") &&
                    Shell("btrfs subvolume snapshot '" + files + "' '" + point + "/backup'"))) {
    return 2;
  }
  std::unique_ptr<FileSystem> fs = MakeNativeFileSystem();
  testing::RecordingResults results;
  testing::RecordingMessages messages;
  if (!testing::RunSearch(*fs, results, messages, row.searchAbove ? top + "above" : point).total.ok()) return 2;
  const std::string listed = files + row.listed;
  if (std::find(results.lines.begin(), results.lines.end(), listed) == results.lines.end()) return 2;

  if (!ChangeMedium(row, point, other, loop.path)) return 2;
  const MaybeFailure removed = fs->RemoveFile(listed);
  std::string there;
  std::getline(std::ifstream(listed), there);
  std::fprintf(stderr, "%s: %s, the file there now %s\n", row.what,
               removed ? ("refused: " + removed->description).c_str() : "removed",
               there.empty() ? "gone" : ("holds \"" + there + "\"").c_str());
  if (row.change == MediumChange::kNothing) return !removed && !Exists(listed) && Exists(point + "/s/x.tmp") ? 0 : 1;
  return removed && removed->number == ENOENT && !there.empty() ? 0 : 1;
}

// Every kernel Debian ships from its release's own on, every file system:
// the medium may change under the same folder, on the same loop device,
// with the same device number, mount number, inode numbers and times.
TEST(WalkedDeleteTest, DeleteRemovesNothingOnAnotherMediumOrSubvolumeInTheFolderSearched) {
  testing::TempFolder folder;
  for (const MediumRow& row : kMediumRows) {
    SCOPED_TRACE(row.what);
    if (!KernelHas(row.medium.type)) {
      // This machine's kernel may lack a file system that Debian's has:
      // the stage on Debian's own kernel runs every row.
      if (std::getenv("DUSTVANE_EVERY_FILE_SYSTEM") != nullptr) ADD_FAILURE() << "no " << row.medium.type << " here";
      std::fprintf(stderr, "%s: this kernel has no %s\n", row.what, row.medium.type);
      continue;
    }
    const std::string top = folder.path() + std::to_string(&row - kMediumRows) + "/";
    ASSERT_EQ(mkdir(top.c_str(), 0755), 0);
    const int code = testing::InPrivateMountNamespace([&] { return SearchMediumChangeAndDelete(row, top); });
    if (code == testing::kNotAllowedHere) CANNOT_RUN_HERE("no loop device or mount namespace here");
    EXPECT_EQ(code, 0);
  }
}

}  // namespace
}  // namespace dustvane
