// Drive1's drives: which ones, which one it starts on, and that what their
// volumes tell comes without anything waiting on a volume.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "tests/support/fake_file_system.h"
#include "ui/drive_list.h"
#include "ui/drive_queries.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/cannot_run_here.h"
#include "tests/support/child_process.h"
#include "tests/support/unanswering_mount.h"
#include "ui/posix/drive_list.h"
#endif

namespace dustvane::testing {
namespace {

using namespace std::chrono_literals;

TEST(DriveList, StartsOnTheDriveHoldingTheHomeFolder) {
  const std::vector<PathString> drives = {P("/"), P("/home"), P("/home2"), P("/media/usb")};
  EXPECT_EQ(DriveHolding(drives, P("/home/ann")), 1u);
  EXPECT_EQ(DriveHolding(drives, P("/home")), 1u);
  EXPECT_EQ(DriveHolding(drives, P("/home2/ann")), 2u);
  EXPECT_EQ(DriveHolding(drives, P("/homeless")), 0u);
  EXPECT_EQ(DriveHolding(drives, P("/root")), 0u);
  EXPECT_EQ(DriveHolding({P("/data")}, P("/root")), 0u);
}

// Every answer until `count` of them have come, or none more for a while.
std::vector<DriveQueries::Answer> Answers(DriveQueries& queries, size_t count) {
  std::vector<DriveQueries::Answer> answers;
  for (int wait = 0; wait < 1000 && answers.size() < count; ++wait) {
    for (DriveQueries::Answer& answer : queries.TakeAnswers()) answers.push_back(std::move(answer));
    std::this_thread::sleep_for(10ms);
  }
  std::sort(answers.begin(), answers.end(), [](const auto& a, const auto& b) { return a.drive < b.drive; });
  return answers;
}

TEST(DriveQueries, EachAnswerComesAsItComesAndNothingWaitsOnAVolumeThatDoesNot) {
  std::atomic<int> wakes = 0;
  std::promise<void> answer;
  std::shared_future<void> answered = answer.get_future().share();
  const DriveQueries::Ask ask = [answered](const PathString& root) -> std::optional<std::string> {
    if (root == P("/hung")) answered.wait();
    if (root == P("/file")) return std::nullopt;
    return "answered";
  };
  {
    DriveQueries queries({P("/a"), P("/hung"), P("/file")}, ask, [&wakes] { ++wakes; }, 60s);
    const std::vector<DriveQueries::Answer> answers = Answers(queries, 2);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].drive, 0u);
    EXPECT_EQ(answers[0].text, "answered");
    EXPECT_EQ(answers[1].drive, 2u);
    EXPECT_EQ(answers[1].text, std::nullopt);
    EXPECT_EQ(wakes, 2);
  }  // gone while one volume still keeps its helper waiting
  answer.set_value();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(wakes, 2);  // the late answer woke nobody
}

TEST(DriveQueries, AnAnswerAfterTheBoundIsDropped) {
  std::atomic<int> wakes = 0;
  DriveQueries queries(
      {P("/slow")},
      [](const PathString&) -> std::optional<std::string> {
        std::this_thread::sleep_for(200ms);
        return "late";
      },
      [&wakes] { ++wakes; }, 20ms);
  std::this_thread::sleep_for(400ms);
  EXPECT_TRUE(queries.TakeAnswers().empty());
  EXPECT_EQ(wakes, 0);
}

#ifndef _WIN32
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
  std::vector<Mount> mounts;
  for (auto [point, type] : std::vector<std::pair<std::string, std::string>>{
           {"/", "ext4"}, {"/proc", "proc"}, {"/run/user/0", "tmpfs"}, {data, "ext4"}, {data, "ext4"},
           {file, "ext4"}, {top + "/snap", "squashfs"}, {"/sys/fs/cgroup", "cgroup2"}, {gone, "ext4"}}) {
    Mount mount;
    mount.point = point;
    mount.type = type;
    mounts.push_back(mount);
  }
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
#endif

}  // namespace
}  // namespace dustvane::testing
