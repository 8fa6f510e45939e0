// The pacing of the read-ahead, step by step over made-up readings: when a
// tree turns out cold, and when the partners are left alone for a while.

#include <chrono>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "search/posix/read_ahead_pacing.h"

namespace dustvane {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct MadeUpReadings final : PaceReadings {
  uint64_t blocks = 0;
  Clock::time_point now{};
  Clock::duration worked{};
  uint64_t BlocksRead() const override { return blocks; }
  Clock::time_point Now() const override { return now; }
  Clock::duration Worked() const override { return worked; }
};

// `steps` steps over folders of `entries` entries; the disk is read before
// each where `readsDisk`.
Pace Steps(Pace pace, MadeUpReadings& readings, unsigned steps, size_t entries = 0, bool readsDisk = false) {
  for (unsigned i = 0; i < steps; ++i) {
    if (readsDisk) ++readings.blocks;
    pace = Paced(pace, entries, true, readings);
  }
  return pace;
}

TEST(ReadAheadPacing, TurnsColdOnlyWhenTwoLooksInARowFindTheDiskRead) {
  struct Case {
    const char* what;
    bool watchCold;
    unsigned steps;
    size_t entries;
    bool readsDisk;
    bool cold;
  };
  const std::vector<Case> cases = {
      {"a warm tree", true, 1000, 0, false, false},
      {"one look, however many blocks", true, 16, 0, true, false},
      {"two looks in a row", true, 32, 0, true, true},
      {"one folder short of the second look", true, 31, 0, true, false},
      {"a folder of many entries counts as more", true, 2, 256 * 15, true, true},
      {"a walk that does not watch for a cold tree", false, 1000, 0, true, false},
  };
  for (const Case& c : cases) {
    MadeUpReadings readings;
    const Pace pace = Steps(StartingPace(c.watchCold, false, readings), readings, c.steps, c.entries, c.readsDisk);
    EXPECT_EQ(pace.cold, c.cold) << c.what;
  }
}

TEST(ReadAheadPacing, ALookWithoutTheDiskReadStartsTheCountAgain) {
  MadeUpReadings readings;
  Pace pace = Steps(StartingPace(true, false, readings), readings, 16, 0, true);
  pace = Steps(pace, readings, 16);
  pace = Steps(pace, readings, 16, 0, true);
  EXPECT_FALSE(pace.cold);
  EXPECT_TRUE(Steps(pace, readings, 16, 0, true).cold);
}

// Over each look at the partners (256 folders): the walk's time on a
// processor against the time gone by, and the answers taken.
TEST(ReadAheadPacing, RestsPartnersThatDoNotRunBesideTheWalkTwiceAsLongEachTime) {
  struct Look {
    int workedMs;  // of 100 ms gone by
    unsigned answers;
    unsigned resting;  // after the look
  };
  const std::vector<Look> looks = {
      {100, 256, 0},      // all the time on a processor, every folder answered
      {80, 64, 0},        // just enough of both
      {79, 256, 1024},    // too little time: a rest
      {100, 63, 2048},    // too few answers: a rest twice as long
      {100, 256, 0},      // helping again: no rest, and the next one short again
      {50, 256, 1024},
      {50, 256, 2048},
      {50, 256, 4096},
      {50, 256, 8192},
      {50, 256, 16384},
      {50, 256, 16384},   // no longer than that
  };
  MadeUpReadings readings;
  Pace pace = StartingPace(false, false, readings);
  for (size_t i = 0; i < looks.size(); ++i) {
    // A rest goes by before the folders of the next look are counted.
    for (int n = 0; n < 100000 && (pace.resting > 0 || pace.sinceHelpLook < 255); ++n) pace = Paced(pace, 0, true, readings);
    pace.answers = looks[i].answers;
    readings.now += milliseconds(100);
    readings.worked += milliseconds(looks[i].workedMs);
    pace = Paced(pace, 0, true, readings);
    EXPECT_EQ(pace.resting, looks[i].resting) << "look " << i;
  }
}

TEST(ReadAheadPacing, LooksAtNoPartnersWhileColdOrWithoutHelpers) {
  MadeUpReadings readings;
  Pace cold = StartingPace(false, true, readings);
  Pace warm = StartingPace(false, false, readings);
  readings.now += milliseconds(100);  // and no time on a processor at all
  for (unsigned i = 0; i < 1000; ++i) {
    cold = Paced(cold, 0, true, readings);
    warm = Paced(warm, 0, false, readings);
  }
  EXPECT_EQ(cold.resting, 0u);
  EXPECT_EQ(warm.resting, 0u);
}

TEST(ReadAheadPacing, TurningColdEndsARest) {
  MadeUpReadings readings;
  Pace pace = StartingPace(true, false, readings);
  pace.resting = 5000;
  pace = Steps(pace, readings, 32, 0, true);
  EXPECT_TRUE(pace.cold);
  EXPECT_EQ(pace.resting, 0u);
}

}  // namespace
}  // namespace dustvane
