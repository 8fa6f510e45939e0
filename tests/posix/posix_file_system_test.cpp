// The POSIX file-system layer on real trees in a temporary folder.

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "search/file_system.h"
#include "search/find_files.h"
#include "search/posix/mount_map.h"
#include "search/posix/mount_table.h"
#include "tests/support/enumerate.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/search_run.h"
#include "tests/support/temp_folder.h"

namespace dustvane {
namespace {

using ::testing::UnorderedElementsAre;
using ::testing::Contains;
using ::testing::Not;
using ::testing::IsEmpty;

class PosixFileSystemTest : public ::testing::Test {
 protected:
  std::string Make(const std::string& relative, const std::string& content = "") {
    const std::string path = root + relative;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  std::string Folder(const std::string& relative) {
    const std::string path = root + relative;
    EXPECT_EQ(mkdir(path.c_str(), 0755), 0) << path;
    return path;
  }
  std::vector<std::string> Enumerate(const std::string& pattern, Attributes mask) {
    return testing::EnumerateNames(*fs, pattern, mask);
  }
  Attributes AttributesOf(const std::string& path) {
    Result<Attributes> bits = fs->FileAttributes(path, AttrAll);
    EXPECT_TRUE(bits.ok()) << path << ": " << bits.failure().description;
    return bits.ok() ? bits.value() : 0;
  }

  testing::TempFolder folder;
  std::string root = folder.path();
  std::unique_ptr<FileSystem> fs = MakeNativeFileSystem();
};

TEST_F(PosixFileSystemTest, MasksAdmitFoldersAndFilesAsTheirAttributesSay) {
  Make("plain.tmp");
  Make(".hidden.tmp");
  Folder("dir");
  Folder(".hiddendir");
  Folder("old.tmp");
  ASSERT_EQ(mkfifo((root + "fifo.tmp").c_str(), 0644), 0);

  EXPECT_THAT(Enumerate(root, kFoldersAndFilesMask),
              UnorderedElementsAre(".", "..", "plain.tmp", ".hidden.tmp", "dir", ".hiddendir", "old.tmp"));
  EXPECT_THAT(Enumerate(root + "*.tmp", kAllFilesMask),
              UnorderedElementsAre("plain.tmp", ".hidden.tmp", "fifo.tmp"));
  EXPECT_THAT(Enumerate(root + "*", AttrHidden | AttrSystem),
              UnorderedElementsAre("plain.tmp", ".hidden.tmp", "fifo.tmp"));
  EXPECT_THAT(Enumerate(root + "*", 0), UnorderedElementsAre("plain.tmp"));
}

TEST_F(PosixFileSystemTest, AttributesOfEachKindOfEntry) {
  Make("file");
  const std::string readOnly = Make("readonly.tmp");
  ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
  Folder(".hiddendir");
  ASSERT_EQ(mkfifo((root + "fifo").c_str(), 0644), 0);
  ASSERT_EQ(symlink((root + ".hiddendir").c_str(), (root + "dirlink").c_str()), 0);

  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = root + "sock.tmp";
  ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
  std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  close(sock);

  EXPECT_EQ(AttributesOf(root + "file"), 0u);
  EXPECT_EQ(AttributesOf(readOnly), AttrReadOnly);  // the mode bit decides, even for root
  EXPECT_EQ(AttributesOf(root + ".hiddendir"), AttrHidden | AttrDirectory);
  EXPECT_EQ(AttributesOf(root + ".hiddendir/"), AttrHidden | AttrDirectory);
  EXPECT_EQ(AttributesOf(root + "fifo"), AttrSystem);
  EXPECT_EQ(AttributesOf(root + "sock.tmp"), AttrSystem);
  EXPECT_EQ(AttributesOf(root + "dirlink"), 0u);  // a link is never a folder

  // Answered from the listing while enumerating: the same bits.
  for (const std::string& name : Enumerate(root, kFoldersAndFilesMask)) {
    if (name == "." || name == "..") continue;
    Result<PathString> again = fs->EnumFirst(root, kFoldersAndFilesMask);
    while (again.ok() && again.value() != name) again = fs->EnumNext();
    ASSERT_TRUE(again.ok());
    Result<Attributes> fromListing = fs->FileAttributes(root + name, AttrDirectory | AttrHidden | AttrSystem);
    ASSERT_TRUE(fromListing.ok());
    EXPECT_EQ(fromListing.value(), AttributesOf(root + name) & ~AttrReadOnly) << name;
  }
  EXPECT_THAT(Enumerate(root, kFoldersAndFilesMask), Not(Contains("fifo")));
}

TEST_F(PosixFileSystemTest, PatternMatchesAnyCaseButNeverAFolderOrADecoy) {
  for (const char* name : {"a.tmp", "B.TMP", "c.TmP", "d.tmpl", "e.temp", "tmp", "f.tmp.bak"}) Make(name);
  Folder("folder.tmp");
  EXPECT_THAT(Enumerate(root + "*.tmp", kAllFilesMask), UnorderedElementsAre("a.tmp", "B.TMP", "c.TmP"));
}

TEST_F(PosixFileSystemTest, LengthsAreExactFromEmptyToBeyondFourGiB) {
  EXPECT_EQ(fs->FileLength(Make("empty.tmp")).value(), 0);
  EXPECT_EQ(fs->FileLength(Make("five.tmp", "12345")).value(), 5);
  const std::string sparse = Make("sparse.tmp");
  const int64_t big = (int64_t{5} << 30) + 7;
  ASSERT_EQ(truncate(sparse.c_str(), big), 0);
  EXPECT_EQ(fs->FileLength(sparse).value(), big);
  ASSERT_EQ(symlink("five.tmp", (root + "link.tmp").c_str()), 0);
  EXPECT_EQ(fs->FileLength(root + "link.tmp").value(), 8);  // the link's own length
  Result<int64_t> missing = fs->FileLength(root + "missing.tmp");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.failure().number, ENOENT);
  EXPECT_EQ(missing.failure().description, "No such file or directory");
}

TEST_F(PosixFileSystemTest, NameThatIsNotUtf8IsFoundAndRemovedByItsExactBytes) {
  const std::string odd = std::string("bad\xff\xfe") + "name.tmp";
  const std::string lookalike = std::string("bad\xef\xbf\xbd\xef\xbf\xbd") + "name.tmp";  // U+FFFD twice
  Make(odd);
  Make(lookalike);
  EXPECT_THAT(Enumerate(root + "*.tmp", kAllFilesMask), UnorderedElementsAre(odd, lookalike));
  EXPECT_EQ(fs->RemoveFile(root + odd), std::nullopt);
  EXPECT_THAT(Enumerate(root + "*.tmp", kAllFilesMask), UnorderedElementsAre(lookalike));
}

TEST_F(PosixFileSystemTest, RemoveFileRemovesOneFileAndNothingElse) {
  const std::string file = Make("a.tmp", "x");
  const std::string target = Make("target", "keep");
  ASSERT_EQ(symlink(target.c_str(), (root + "link.tmp").c_str()), 0);
  Enumerate(root + "*.tmp", kAllFilesMask);  // Delete comes to what a search listed
  EXPECT_EQ(fs->RemoveFile(file), std::nullopt);
  EXPECT_NE(access(file.c_str(), F_OK), 0);
  MaybeFailure again = fs->RemoveFile(file);  // already gone
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(again->number, ENOENT);

  MaybeFailure empty = fs->RemoveFile("");
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(empty->number, ENOENT);

  const std::string folder = Folder("dir.tmp");
  MaybeFailure onFolder = fs->RemoveFile(folder);
  ASSERT_TRUE(onFolder.has_value());
  EXPECT_EQ(onFolder->number, EISDIR);
  EXPECT_EQ(access(folder.c_str(), F_OK), 0);

  EXPECT_EQ(fs->RemoveFile(root + "link.tmp"), std::nullopt);
  EXPECT_EQ(access(target.c_str(), F_OK), 0);
}

TEST_F(PosixFileSystemTest, RemoveFileRefusesAWriteProtectedFileEvenForRoot) {
  const std::string file = Make("locked.tmp", "x");
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  Enumerate(root + "*.tmp", kAllFilesMask);
  MaybeFailure refused = fs->RemoveFile(file);
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->number, EACCES);
  EXPECT_EQ(access(file.c_str(), F_OK), 0);
}

TEST_F(PosixFileSystemTest, EnumerationCursorIsSharedAndRestartedByEnumFirst) {
  std::unique_ptr<FileSystem> fresh = MakeNativeFileSystem();
  Result<PathString> none = fresh->EnumNext();
  EXPECT_FALSE(none.ok());

  Folder("one");
  Folder("two");
  Make("one/x.tmp");
  Make("two/y.tmp");
  ASSERT_EQ(fs->EnumFirst(root + "one/*.tmp", kAllFilesMask).value(), "x.tmp");
  ASSERT_EQ(fs->EnumFirst(root + "two/*.tmp", kAllFilesMask).value(), "y.tmp");
  EXPECT_EQ(fs->EnumNext().value(), "");
  EXPECT_EQ(fs->EnumNext().value(), "");  // stays run out

  // A delete or the end of a search ends the enumeration: the next one must
  // start afresh.
  ASSERT_EQ(fs->EnumFirst(root + "one/*.tmp", kAllFilesMask).value(), "x.tmp");
  (void)fs->RemoveFile(root + "two/y.tmp");
  EXPECT_FALSE(fs->EnumNext().ok());
  ASSERT_EQ(fs->EnumFirst(root + "one/*.tmp", kAllFilesMask).value(), "x.tmp");
  fs->CloseFolders();
  EXPECT_FALSE(fs->EnumNext().ok());
}

TEST_F(PosixFileSystemTest, EnumFirstFailsOnAMissingFolderOrAFile) {
  Result<PathString> missing = fs->EnumFirst(root + "nowhere/", kFoldersAndFilesMask);
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.failure().number, ENOENT);
  Make("file");
  Result<PathString> file = fs->EnumFirst(root + "file/", kFoldersAndFilesMask);
  ASSERT_FALSE(file.ok());
  EXPECT_EQ(file.failure().number, ENOTDIR);
  EXPECT_FALSE(fs->EnumNext().ok());
}

TEST_F(PosixFileSystemTest, UnreadableFolderIsEmptyForAnOrdinaryUser) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every folder; covered through the scripted file system";
  const std::string locked = Folder("locked");
  Make("locked/x.tmp");
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  EXPECT_THAT(Enumerate(locked + "/", kFoldersAndFilesMask), IsEmpty());
}

// --- the whole search over a real tree ---------------------------------------

class RealTreeSearchTest : public PosixFileSystemTest {
 protected:
  std::vector<std::string> SearchAll(ByteTotal* total = nullptr) {
    testing::RecordingResults results;
    const testing::SearchRun run = testing::RunSearch(*fs, results, messages, root);
    EXPECT_TRUE(run.total.ok());
    if (total != nullptr) *total = run.total.value();
    EXPECT_EQ(static_cast<size_t>(run.files), results.lines.size());
    return results.lines;
  }
  testing::RecordingMessages messages;
};

TEST_F(RealTreeSearchTest, LinksAreListedButNeverEnteredSoLoopsEnd) {
  Folder("a");
  Folder("a/b");
  Make("a/b/deep.tmp", "123");
  ASSERT_EQ(symlink("..", (root + "a/b/up").c_str()), 0);  // a loop
  ASSERT_EQ(symlink("/usr", (root + "a/outside").c_str()), 0);
  ASSERT_EQ(symlink("b/deep.tmp", (root + "a/link.tmp").c_str()), 0);
  ASSERT_EQ(symlink("b", (root + "a/dirlink.tmp").c_str()), 0);

  ByteTotal total;
  EXPECT_THAT(SearchAll(&total),
              UnorderedElementsAre(root + "a/link.tmp", root + "a/dirlink.tmp", root + "a/b/deep.tmp"));
  EXPECT_EQ(total, 3 + 10 + 1);
  EXPECT_THAT(messages.texts, IsEmpty());
}

TEST_F(RealTreeSearchTest, HiddenAndWriteProtectedMatchesAreFoundAndSecondSearchSeesChanges) {
  Folder(".cache");
  Make(".cache/c.TMP", "12");
  Make("ro.tmp", "1");
  ASSERT_EQ(chmod((root + "ro.tmp").c_str(), 0444), 0);
  EXPECT_THAT(SearchAll(), UnorderedElementsAre(root + ".cache/c.TMP", root + "ro.tmp"));

  Make("new.tmp");
  ASSERT_EQ(unlink((root + ".cache/c.TMP").c_str()), 0);
  EXPECT_THAT(SearchAll(), UnorderedElementsAre(root + "ro.tmp", root + "new.tmp"));
}

TEST_F(RealTreeSearchTest, FilesBeyondTheSystemPathLimitAreFoundAndRemoved) {
  // A chain of folders whose paths outgrow PATH_MAX several times over.
  const std::string name(200, 'd');
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  for (int i = 0; i < 60; ++i) {
    ASSERT_EQ(mkdirat(fd, name.c_str(), 0755), 0);
    const int inner = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = inner;
    ASSERT_GE(fd, 0);
    close(openat(fd, "x.tmp", O_CREAT | O_WRONLY, 0644));
  }

  const std::vector<std::string> found = SearchAll();
  EXPECT_THAT(messages.texts, IsEmpty());
  ASSERT_EQ(found.size(), 60u);
  const std::string& deepest = found.back();
  EXPECT_GT(deepest.size(), 2 * 4096u);
  EXPECT_EQ(fs->RemoveFile(deepest), std::nullopt);
  EXPECT_NE(faccessat(fd, "x.tmp", F_OK, AT_SYMLINK_NOFOLLOW), 0);
  close(fd);
}

// --- mounts the search must not enter ------------------------------------------

TEST(MountTableTest, ParsesPointsWithEscapesAndTheTypeAfterTheSeparator) {
  const std::string text =
      "22 1 0:21 / /proc rw,nosuid shared:12 - proc proc rw\n"
      "30 22 0:25 / /mnt/my\\040disk rw master:1 shared:2 - ext4 /dev/sdb1 rw\n"
      "31 22 0:26 / /srv/share rw - nfs4 host:/my\\040share rw\n"
      "broken line\n";
  const std::vector<Mount> mounts = ParseMountInfo(text);
  ASSERT_EQ(mounts.size(), 3u);
  EXPECT_EQ(mounts[0].point, "/proc");
  EXPECT_EQ(mounts[0].type, "proc");
  EXPECT_EQ(mounts[1].point, "/mnt/my disk");
  EXPECT_EQ(mounts[1].type, "ext4");
  EXPECT_EQ(mounts[2].type, "nfs4");
  EXPECT_EQ(mounts[2].source, "host:/my share");
}

TEST(MountTableTest, RemoteMountsAreToldByTheirTypeOrTheirSource) {
  struct Row {
    const char* typeAndSource;
    bool remote;
  };
  const Row rows[] = {
      {"nfs4 host:/export", true},
      {"fuse.sshfs user@host:/home/user", true},
      {"fuse.rclone photos:2024", true},
      {"fuse.anything https://host/dav", true},
      {"fuse.anything //nas/share", true},
      {"virtiofs hostshare", true},
      {"vboxsf Shared", true},
      {"fuse.vmhgfs-fuse vmhgfs-fuse", true},
      {"fuse.ceph-fuse ceph-fuse", true},
      {"fuse.mergerfs 1:2", false},  // /mnt/disk1:/mnt/disk2 without what they share
      {"fuse.mergerfs /mnt/disk1:/mnt/disk2", false},
      {"fuse.anything /srv/a:/srv/b", false},
      {"ext4 /dev/disk/by-path/pci-0000:00:1f.2-ata-1-part1", false},
      {"fuse.bindfs /home/user", false},
      {"tmpfs tmpfs", false},
  };
  for (const Row& row : rows) {
    const std::vector<Mount> mounts =
        ParseMountInfo("40 1 0:50 / /mnt/x rw - " + std::string(row.typeAndSource) + " rw\n");
    ASSERT_EQ(mounts.size(), 1u) << row.typeAndSource;
    EXPECT_EQ(IsSystemMount(mounts[0]), row.remote) << row.typeAndSource;
  }
}

TEST(MountMapTest, TheMountOnTopDecidesAndHiddenMountsDoNotCount) {
  const MountMap map(ParseMountInfo(
      "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "2 1 0:5 / /proc rw - proc proc rw\n"
      "3 1 0:6 / /home rw - autofs systemd-1 rw\n"          // an automount point, triggered:
      "4 3 8:2 / /home rw - ext4 /dev/sda2 rw\n"            // the disk on top of it shows
      "5 1 0:7 / /net rw - autofs systemd-1 rw\n"           // one never triggered
      "6 1 0:8 / /srv/share rw - nfs4 host:/x rw\n"
      "7 1 0:9 / /srv/fuse rw - fuse.sshfs host: rw\n"
      "8 1 0:10 / /tmp rw - tmpfs tmpfs rw\n"
      "9 1 0:11 / /mnt/a/p rw - proc proc rw\n"
      "10 1 0:12 / /mnt/a rw - tmpfs tmpfs rw\n"));          // mounted later, over the folder of 9
  EXPECT_EQ(map.At("/proc/"), MountAt::kSystem);
  EXPECT_EQ(map.At("/home/"), MountAt::kOrdinary);
  EXPECT_EQ(map.At("/net/"), MountAt::kSystem);
  EXPECT_EQ(map.At("/srv/share/"), MountAt::kSystem);
  EXPECT_EQ(map.At("/srv/fuse/"), MountAt::kSystem);
  EXPECT_EQ(map.At("/tmp/"), MountAt::kOrdinary);
  EXPECT_EQ(map.At("/mnt/a/"), MountAt::kOrdinary);
  EXPECT_EQ(map.At("/mnt/a/p/"), MountAt::kNone);
  EXPECT_EQ(map.At("/usr/"), MountAt::kNone);
  EXPECT_TRUE(map.HoldsAny("/srv/"));
  EXPECT_FALSE(map.HoldsAny("/usr/"));
}

}  // namespace
}  // namespace dustvane
