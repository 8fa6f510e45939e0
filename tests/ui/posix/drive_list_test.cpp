// Drive1's drives on POSIX systems: the mounted file systems a user would
// search, each a folder, and none that keeps the list waiting.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/support/cannot_run_here.h"
#include "tests/support/child_process.h"
#include "tests/support/unanswering_mount.h"
#include "ui/drive_list.h"
#include "ui/posix/drive_list.h"

namespace dustvane::testing {
namespace {

TEST(DriveList, OnlyFoldersOfUserFileSystemsAreDrivesEachOnce) {
  // Under /tmp, not in a memory file system below /dev, which is no drive.
  char made[] = "/tmp/dustvane-drives-XXXXXX";
  ASSERT_NE(mkdtemp(made), nullptr);
  const std::string top = made;
  const std::string data = top + "/data";
  const std::string file = top + "/hosts";
  const std::string gone = top + "/gone";
  ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
  ASSERT_TRUE(std::ofstream(file).good());
  const std::vector<MountedFileSystem> mounts = {
      {"/", "ext4", true},       {"/proc", "proc", false},          {"/run/user/0", "tmpfs", true},
      {data, "ext4", true},      {data, "ext4", true},              {file, "ext4", true},
      {top + "/snap", "squashfs", true}, {"/sys/fs/cgroup", "cgroup2", false}, {gone, "ext4", true}};
  // The mount table alone gives the candidates; their volumes say which are folders.
  EXPECT_EQ(DrivesAmong(mounts), (std::vector<PathString>{"/", data, file, gone}));
  EXPECT_EQ(DriveTextFromVolume("/"), "/");
  EXPECT_EQ(DriveTextFromVolume(data), data);
  EXPECT_EQ(DriveTextFromVolume(file), std::nullopt);
  EXPECT_EQ(DriveTextFromVolume(gone), std::nullopt);
  EXPECT_EQ(DrivesAmong({}), std::vector<PathString>{"/"});
  std::filesystem::remove_all(top);
}

TEST(DriveList, AMountThatNeverAnswersIsListedWithoutWaitingOnIt) {
  char made[] = "/tmp/dustvane-hung-XXXXXX";
  ASSERT_NE(mkdtemp(made), nullptr);
  const int code = InPrivateMountNamespace([&made] {
    UnansweringMount hung;
    if (!hung.Mount(made)) return kNotAllowedHere;
    alarm(30);  // a list that waited on the mount would never come
    const std::vector<PathString> drives = ListDrives();
    return std::find(drives.begin(), drives.end(), PathString(made)) != drives.end() ? 0 : 1;
  });
  rmdir(made);
  if (code == kNotAllowedHere) CANNOT_RUN_HERE("needs root, /dev/fuse and a mount namespace of its own");
  EXPECT_EQ(code, 0) << "1: the mount is not listed; 128: the list waited on the mount";
}
}  // namespace
}  // namespace dustvane::testing
