// The pacing of the read-ahead, step by step over made-up readings: when a
// tree turns out cold.

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "search/posix/read_ahead_pacing.h"

namespace dustvane {
namespace {

struct MadeUpReadings final : PaceReadings {
  uint64_t blocks = 0;
  uint64_t BlocksRead() const override { return blocks; }
};

// `steps` steps over folders of `entries` entries; the disk is read before
// each where `readsDisk`.
Pace Steps(Pace pace, MadeUpReadings& readings, unsigned steps, size_t entries = 0, bool readsDisk = false) {
  for (unsigned i = 0; i < steps; ++i) {
    if (readsDisk) ++readings.blocks;
    pace = Paced(pace, entries, readings);
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

}  // namespace
}  // namespace dustvane
