// Drive1's drives: which one it starts on, that what their volumes tell
// comes without anything waiting on a volume, and what a drive that proves
// no drive does to the choice.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "tests/support/fake_file_system.h"
#include "ui/drive_choice.h"
#include "ui/drive_list.h"
#include "ui/drive_queries.h"

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
  // Every copy of the question holds it: once it has expired, the helpers
  // have let go of everything, the late one included.
  auto token = std::make_shared<int>(0);
  const std::weak_ptr<int> helpersHold = token;
  {
    const DriveQueries::Ask ask = [answered, token = std::move(token)](const PathString& root) -> std::optional<std::string> {
      if (root == P("/hung")) answered.wait();
      if (root == P("/file")) return std::nullopt;
      return "answered";
    };
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
  // Until the late helper is done, so that its answer has surely come.
  for (int wait = 0; wait < 1000 && !helpersHold.expired(); ++wait) std::this_thread::sleep_for(10ms);
  EXPECT_TRUE(helpersHold.expired());
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

// Drive1's lines as texts and a choice. Taking out the chosen line chooses
// the line that takes its place, as toolkits' lists do of themselves.
struct FakeDriveLines final : DriveLines {
  void AddLine(const std::string& text) override { texts.push_back(text); }
  void SetLineText(size_t line, const std::string& text) override { texts.at(line) = text; }
  void RemoveLine(size_t line) override {
    texts.erase(texts.begin() + static_cast<std::ptrdiff_t>(line));
    if (chosen && *chosen >= texts.size()) chosen = texts.empty() ? std::nullopt : std::optional(texts.size() - 1);
  }
  std::optional<size_t> ChosenLine() const override { return chosen; }
  void Choose(std::optional<size_t> line) override { chosen = line; }
  std::vector<std::string> texts;
  std::optional<size_t> chosen;
};

TEST(DriveChoice, ADriveThatIsNoDriveLeavesTheListAndNothingElseIsChosenInItsPlace) {
  const DriveQueries::Ask ask = [](const PathString& root) -> std::optional<std::string> {
    if (root == P("/gone")) return std::nullopt;
    return "volume";
  };
  // The drive that goes is the one chosen, or one before it.
  for (const auto& [home, chosenAfter] : {std::pair{P("/gone/home"), PathString()}, std::pair{P("/c/home"), P("/c")}}) {
    FakeDriveLines lines;
    // A bound no loaded machine reaches: an answer dropped as late would
    // fail the test for the wrong reason.
    DriveChoice choice(lines, {P("/a"), P("/gone"), P("/c")}, home, [] {}, ask, 10min);
    EXPECT_EQ(lines.texts.size(), 3u);
    for (int wait = 0; wait < 6000 && lines.texts != std::vector<std::string>{"volume", "volume"}; ++wait) {
      std::this_thread::sleep_for(10ms);
      choice.TakeAnswers();
    }
    ASSERT_EQ(lines.texts, (std::vector<std::string>{"volume", "volume"}));
    EXPECT_EQ(choice.Drive(), chosenAfter);
  }
}

}  // namespace
}  // namespace dustvane::testing
