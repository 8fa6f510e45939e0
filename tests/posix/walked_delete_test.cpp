// Delete after a search, on every file system the search walks, when what
// lies on a listed path changed meanwhile: the file goes only where the path
// still leads through the very folders the search walked to the very file it
// listed, and otherwise nothing goes, as for a file that is gone. Each file
// system has its row where nothing changed, whose file must go.

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "search/file_system.h"
#include "search/posix/descriptor.h"
#include "tests/support/cannot_run_here.h"
#include "tests/support/child_process.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/folder_key.h"
#include "tests/support/search_run.h"
#include "tests/support/temp_folder.h"
#include "tests/support/unanswering_mount.h"

namespace dustvane {
namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// Makes `file` (a relative path) and the folders it lies in under `top`,
// holding `content`.
bool MakeFile(const std::string& top, const std::string& file, const std::string& content) {
  if (mkdir(top.c_str(), 0755) != 0 && errno != EEXIST) return false;
  for (size_t slash = file.find('/'); slash != std::string::npos; slash = file.find('/', slash + 1)) {
    const std::string folder = top + file.substr(0, slash);
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  std::ofstream(top + file) << content;
  return Exists(top + file);
}

bool Shell(const std::string& command) { return std::system(("{ " + command + "; } >/dev/null 2>&1").c_str()) == 0; }

bool Bind(const std::string& from, const std::string& onto) {
  return mount(from.c_str(), onto.c_str(), nullptr, MS_BIND, nullptr) == 0;
}

// The file systems the rows search, each made afresh.
struct Medium {
  const char* type;  // as the kernel names it
  const char* make;  // the command that makes one on the image that follows; none for a memory one
};
const Medium kTmpfs{"tmpfs", nullptr};
const Medium kBindfs{"fuse", nullptr};  // bindfs passing a tmpfs folder through
const Medium kExt4{"ext4", "mkfs.ext4 -q -F"};
const Medium kExt4Encrypting{"ext4", "mkfs.ext4 -q -F -O encrypt"};
const Medium kVfat{"vfat", "mkfs.vfat"};
const Medium kF2fs{"f2fs", "mkfs.f2fs -q -f"};
const Medium kBtrfs{"btrfs", "mkfs.btrfs -q -f"};

bool KernelHas(const char* type) {
  std::ifstream known("/proc/filesystems");
  for (std::string line; std::getline(known, line);) {
    if (line.substr(line.find('\t') + 1) == type) return true;
  }
  return Shell(std::string("modprobe ") + type) && KernelHas(type);
}

// The files of every medium: one three folders deep, one beside, one at the
// top; on btrfs the first two again in the subvolume "vol", of which
// "backup" is a snapshot. `content` tells one medium's from another's.
constexpr const char* kFiles[] = {"a/b/c/x.tmp", "s/x.tmp", "top.tmp"};
constexpr const char* kInSubvolume[] = {"vol/a/b/c/x.tmp", "vol/s/x.tmp"};

bool MakeFiles(const std::string& top, const std::string& content) {
  bool made = true;
  for (const char* file : kFiles) made = made && MakeFile(top, file, content);
  return made;
}

// Makes a medium of `medium` in `image`, its files holding `content`.
bool MakeMedium(const Medium& medium, const std::string& image, const std::string& content) {
  const std::string point = image + ".mnt/";
  bool made = Shell("truncate -s 128M '" + image + "' && " + medium.make + " '" + image + "'") &&
              mkdir(point.c_str(), 0755) == 0 && Shell("mount -o loop '" + image + "' '" + point + "'") &&
              MakeFiles(point, content);
  if (&medium == &kBtrfs) {
    made = made && Shell("btrfs subvolume create '" + point + "vol'");
    for (const char* file : kInSubvolume) made = made && MakeFile(point, file, content);
    made = made && Shell("btrfs subvolume snapshot '" + point + "vol' '" + point + "backup'");
  }
  return Shell("umount '" + point + "'") && made;
}

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

// What is let go of at the end of a row, whatever it came to: the loop
// device once nothing holds it, a FUSE server (which would keep the row's
// mount namespace, and itself, alive).
struct Leftovers {
  std::string loop;
  std::string fuse;
  ~Leftovers() {
    if (!fuse.empty()) Shell("umount -l '" + fuse + "'");
    if (!loop.empty()) Shell("losetup -d " + loop);
  }
};

// What happens between the search and the Delete.
enum class Change {
  kNothing,
  kFileMadeAgain,          // the listed file removed and made again under its name
  kBindOverWay,            // the outside's "a" bound over the way's "a"
  kBindOverOwnFolder,      // the outside's "a/b/c" bound over the file's own folder
  kTmpfsOverWay,           // another tmpfs, holding "c/x.tmp", mounted on "a/b"
  kWayFolderALink,         // "a/b" moved away, a link to the outside's in its place
  kBindOverSearched,       // the outside bound over the searched folder
  kDeadMountOverWay,       // a mount that never answers over "a/b"
  kDeadMountOverSearched,  // the same over the searched folder
  kDeadMountAboveSearched, // the same over the folder that holds it
  kDeadMountOverFile,      // the same over the listed file itself
  kAnotherMedium,          // unmounted, another one put in the reader, mounted there again
  kAClone,                 // the same, the other a copy of the first, the listed file changed since
  kRolledBack,             // btrfs: "vol" deleted, a snapshot of "backup" put in its place
  kFolderSwappedInSource,  // bindfs: in its source, "a" moved away and made again, with its files
  kKeyRemoved,             // the encrypted folder's key removed: locked again
};

// Whether the sibling line, "s/x.tmp" beside the listed one, must go too.
enum class Sibling { kGoes, kRefused, kEither };

struct Row {
  const char* what;
  const Medium& medium;
  Change change;
  const char* listed;  // the line deleted, below the medium's top
  bool searchAbove;    // the folder that holds the mount point is searched, not the mount point
  Sibling sibling;
};

const Row kRows[] = {
    {"tmpfs, nothing changed", kTmpfs, Change::kNothing, "a/b/c/x.tmp", false, Sibling::kGoes},
    {"tmpfs, the file made again", kTmpfs, Change::kFileMadeAgain, "a/b/c/x.tmp", false, Sibling::kGoes},
    {"tmpfs, a bind mount over the way", kTmpfs, Change::kBindOverWay, "a/b/c/x.tmp", false, Sibling::kGoes},
    {"tmpfs, a bind mount over the file's folder", kTmpfs, Change::kBindOverOwnFolder, "a/b/c/x.tmp", false,
     Sibling::kGoes},
    {"tmpfs, another tmpfs on the way", kTmpfs, Change::kTmpfsOverWay, "a/b/c/x.tmp", false, Sibling::kGoes},
    {"tmpfs, a folder of the way swapped for a link", kTmpfs, Change::kWayFolderALink, "a/b/c/x.tmp", false,
     Sibling::kGoes},
    {"tmpfs, a bind mount over the searched folder", kTmpfs, Change::kBindOverSearched, "a/b/c/x.tmp", false,
     Sibling::kRefused},
    {"tmpfs, a mount that never answers over the way", kTmpfs, Change::kDeadMountOverWay, "a/b/c/x.tmp", false,
     Sibling::kGoes},
    {"tmpfs, a mount that never answers over the searched folder", kTmpfs, Change::kDeadMountOverSearched,
     "a/b/c/x.tmp", false, Sibling::kRefused},
    {"tmpfs, a mount that never answers above the searched folder", kTmpfs, Change::kDeadMountAboveSearched,
     "a/b/c/x.tmp", false, Sibling::kRefused},
    {"tmpfs, a mount that never answers over the file", kTmpfs, Change::kDeadMountOverFile, "a/b/c/x.tmp", false,
     Sibling::kGoes},
    {"ext4, nothing changed", kExt4, Change::kNothing, "a/b/c/x.tmp", true, Sibling::kGoes},
    // Only the changed file tells the clone: its other files are the same.
    {"ext4, the disk replaced by its clone", kExt4, Change::kAClone, "a/b/c/x.tmp", true, Sibling::kEither},
    {"ext4, an encrypted folder locked again", kExt4Encrypting, Change::kKeyRemoved, "e/x.tmp", false,
     Sibling::kGoes},
    {"vfat, nothing changed", kVfat, Change::kNothing, "top.tmp", false, Sibling::kGoes},
    {"vfat, the stick replaced by another", kVfat, Change::kAnotherMedium, "top.tmp", false, Sibling::kRefused},
    {"f2fs, nothing changed", kF2fs, Change::kNothing, "a/b/c/x.tmp", true, Sibling::kGoes},
    {"f2fs, the card replaced by another", kF2fs, Change::kAnotherMedium, "a/b/c/x.tmp", true, Sibling::kRefused},
    {"btrfs, top level, nothing changed", kBtrfs, Change::kNothing, "top.tmp", false, Sibling::kGoes},
    {"btrfs, a plain folder, nothing changed", kBtrfs, Change::kNothing, "a/b/c/x.tmp", false, Sibling::kGoes},
    {"btrfs, a nested subvolume, nothing changed", kBtrfs, Change::kNothing, "vol/a/b/c/x.tmp", false,
     Sibling::kGoes},
    {"btrfs, a nested subvolume rolled back", kBtrfs, Change::kRolledBack, "vol/a/b/c/x.tmp", false,
     Sibling::kRefused},
    {"bindfs, nothing changed", kBindfs, Change::kNothing, "a/b/c/x.tmp", false, Sibling::kGoes},
    {"bindfs, a folder of the way swapped in its source", kBindfs, Change::kFolderSwappedInSource, "a/b/c/x.tmp",
     false, Sibling::kGoes},
};

// One row's places: `top` holds the medium's mount point `point` (ending in
// "/") inside "above", the image of a medium put in its place (`other`), the
// outside tree and bindfs's source.
struct Places {
  std::string top, point, other, outside, source;
  explicit Places(const std::string& row)
      : top(row), point(row + "above/point/"), other(row + "other"), outside(row + "outside/"), source(row + "source/") {}
};

// Mounts a fresh medium of `row` at `at.point`, its files made.
bool MountMedium(const Row& row, const Places& at, Leftovers& leftovers, testing::FolderKey& key) {
  if (row.medium.make == nullptr) {
    const std::string& tmpfs = &row.medium == &kBindfs ? at.source : at.point;
    if (mkdir(tmpfs.c_str(), 0755) != 0 && errno != EEXIST) return false;
    if (mount("tmpfs", tmpfs.c_str(), "tmpfs", 0, nullptr) != 0 || !MakeFiles(tmpfs, "first")) return false;
    if (&row.medium == &kTmpfs) return true;
    leftovers.fuse = at.point;
    return Shell("bindfs '" + at.source + "' '" + at.point + "'");
  }
  const std::string image = at.top + "first";
  if (!MakeMedium(row.medium, image, "first")) return false;
  if (row.change == Change::kAClone && !Shell("cp --sparse=always '" + image + "' '" + at.other + "'")) return false;
  if (row.change == Change::kAnotherMedium && !MakeMedium(row.medium, at.other, "second")) return false;
  leftovers.loop = AttachLoop(image);
  if (leftovers.loop.empty() || !Shell("mount " + leftovers.loop + " '" + at.point + "'")) return false;
  if (row.change != Change::kKeyRemoved) return true;
  // The listed file lies in a folder encrypted with `key`.
  Descriptor top(open(at.point.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!key.Add(top.get()) || mkdir((at.point + "e").c_str(), 0755) != 0) return false;
  Descriptor folder(open((at.point + "e").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return key.Encrypt(folder.get()) && MakeFile(at.point, "e/x.tmp", "first");
}

// Makes the change of `row`.
bool MakeChange(const Row& row, const Places& at, const std::string& device, testing::UnansweringMount& dead,
                testing::FolderKey& key) {
  const std::string& p = at.point;
  switch (row.change) {
    case Change::kNothing: return true;
    case Change::kFileMadeAgain: return unlink((p + row.listed).c_str()) == 0 && MakeFile(p, row.listed, "first");
    case Change::kBindOverWay: return Bind(at.outside + "a", p + "a");
    case Change::kBindOverOwnFolder: return Bind(at.outside + "a/b/c", p + "a/b/c");
    case Change::kTmpfsOverWay:
      return mount("tmpfs", (p + "a/b").c_str(), "tmpfs", 0, nullptr) == 0 && MakeFile(p + "a/b/", "c/x.tmp", "first");
    case Change::kWayFolderALink:
      return rename((p + "a/b").c_str(), (p + "b-was").c_str()) == 0 &&
             symlink((at.outside + "a/b").c_str(), (p + "a/b").c_str()) == 0;
    case Change::kBindOverSearched: return Bind(at.outside, p);
    case Change::kDeadMountOverWay: return dead.Mount(p + "a/b");
    case Change::kDeadMountOverSearched: return dead.Mount(p);
    case Change::kDeadMountAboveSearched: return dead.Mount(at.top + "above");
    case Change::kDeadMountOverFile: return dead.Mount(p + row.listed);
    case Change::kAClone:
      if (!Shell("mount -o loop '" + at.other + "' '" + at.top + "first.mnt'") ||
          !MakeFile(at.top + "first.mnt/", row.listed, "second") || !Shell("umount '" + at.top + "first.mnt'")) {
        return false;
      }
      [[fallthrough]];
    case Change::kAnotherMedium:
      return Shell("umount '" + p + "'") && Shell("dd if='" + at.other + "' of=" + device + " bs=1M conv=fsync") &&
             Shell("mount " + device + " '" + p + "'");
    case Change::kRolledBack:
      // Once the deleted subvolume is cleaned up, its device number is free.
      return Shell("btrfs subvolume delete -C '" + p + "vol' && btrfs subvolume sync '" + p + "'") &&
             Shell("btrfs subvolume snapshot '" + p + "backup' '" + p + "vol'");
    case Change::kFolderSwappedInSource:
      return rename((at.source + "a").c_str(), (at.source + "a.old").c_str()) == 0 &&
             MakeFile(at.source, "a/b/c/x.tmp", "second") && MakeFile(at.source, "a/b/c/other.tmp", "second");
    case Change::kKeyRemoved: {
      Descriptor top(open(p.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      bool busy = true;
      // Nothing of the search may keep the folder unlocked.
      return key.Remove(top.get(), &busy) && !busy;
    }
  }
  return false;
}

// Makes the medium of `row` under `top`, searches it, changes it, and
// deletes its listed line and the sibling's; 0 when only what must go went.
int SearchChangeAndDelete(const Row& row, const std::string& top) {
  const Places at(top);
  Leftovers leftovers;
  testing::FolderKey key;
  testing::UnansweringMount dead;
  if (mkdir((top + "above").c_str(), 0755) != 0 || mkdir(at.point.c_str(), 0755) != 0 ||
      !MakeFiles(at.outside, "outside")) {
    return 2;
  }
  if (!MountMedium(row, at, leftovers, key)) return testing::kNotAllowedHere;
  const std::string prefix = std::string(row.listed).substr(0, 4) == "vol/" ? "vol/" : "";
  const std::string listed = at.point + row.listed, sibling = at.point + prefix + "s/x.tmp";
  std::unique_ptr<FileSystem> fs = MakeNativeFileSystem();
  testing::RecordingResults results;
  testing::RecordingMessages messages;
  if (!testing::RunSearch(*fs, results, messages, row.searchAbove ? top + "above" : at.point).total.ok()) return 2;
  for (const std::string& line : {listed, sibling}) {
    if (std::find(results.lines.begin(), results.lines.end(), line) == results.lines.end()) return 2;
  }
  if (!MakeChange(row, at, leftovers.loop, dead, key)) return 2;

  // A Delete that waits on a file system ends the row here, and fails it.
  alarm(60);
  const MaybeFailure removed = fs->RemoveFile(listed);
  const MaybeFailure siblingRemoved = fs->RemoveFile(sibling);
  alarm(0);
  dead.Close();
  if (row.change == Change::kKeyRemoved) {
    Descriptor point(open(at.point.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    key.Add(point.get());
  }
  const auto refused = [](const MaybeFailure& failure, const std::string& path) {
    return failure && failure->number == ENOENT && failure->description == "No such file or directory" && Exists(path);
  };
  const bool listedAsItMust = row.change == Change::kNothing ? !removed && !Exists(listed) : refused(removed, listed);
  const bool siblingAsItMust = row.sibling == Sibling::kEither || (row.sibling == Sibling::kGoes
                                                                       ? !siblingRemoved && !Exists(sibling)
                                                                       : refused(siblingRemoved, sibling));
  std::fprintf(stderr, "%s: line %s, sibling %s\n", row.what,
               removed ? ("refused: " + removed->description).c_str() : "removed",
               siblingRemoved ? ("refused: " + siblingRemoved->description).c_str() : "removed");
  return listedAsItMust && siblingAsItMust ? 0 : 1;
}

// Every kernel Debian ships from its release's own on: the medium or the
// folders may change under the same path, with the same device number,
// mount number, inode numbers and times.
TEST(WalkedDeleteTest, DeleteRemovesTheListedFileOnlyThroughTheVeryFoldersTheSearchWalked) {
  testing::TempFolder folder;
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.what);
    if (!KernelHas(row.medium.type)) {
      // This machine's kernel may lack a file system that Debian's has:
      // the stage on Debian's own kernel runs every row.
      if (std::getenv("DUSTVANE_EVERY_FILE_SYSTEM") != nullptr) ADD_FAILURE() << "no " << row.medium.type << " here";
      std::fprintf(stderr, "%s: this kernel has no %s\n", row.what, row.medium.type);
      continue;
    }
    const std::string top = folder.path() + std::to_string(&row - kRows) + "/";
    ASSERT_EQ(mkdir(top.c_str(), 0755), 0);
    const int code = testing::InPrivateMountNamespace([&] { return SearchChangeAndDelete(row, top); });
    if (code == testing::kNotAllowedHere) CANNOT_RUN_HERE("cannot make " << row.medium.type << " here");
    EXPECT_EQ(code, 0);
  }
}

}  // namespace
}  // namespace dustvane
