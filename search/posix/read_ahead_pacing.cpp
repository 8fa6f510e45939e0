#include "search/posix/read_ahead_pacing.h"

#include <sys/resource.h>
#include <time.h>

#include <algorithm>

namespace dustvane {

namespace {

using Clock = std::chrono::steady_clock;

// How often the walk looks whether its own reads went to a disk, in folders:
// often enough to start the helpers within a few folders, rarely enough to
// cost nothing. A folder counts as one more for each so many entries.
constexpr unsigned kLookEvery = 16;
constexpr size_t kEntriesLikeAFolder = 256;
// Where, over this many folders, the walk's thread had less than four fifths
// of the time on a processor (other programs keep them busy: a partner would
// take from its share), or a partner answered fewer than one in four, the
// walk asks it nothing for a while, twice as long each time in a row.
constexpr unsigned kFoldersPerLook = 256;
constexpr unsigned kRestFolders = 1024;
constexpr unsigned kLongestRestShift = 4;

class ThreadReadings final : public PaceReadings {
 public:
  uint64_t BlocksRead() const override {
    struct rusage usage;
    if (getrusage(RUSAGE_THREAD, &usage) != 0) return 0;
    return static_cast<uint64_t>(usage.ru_inblock);
  }
  Clock::time_point Now() const override { return Clock::now(); }
  Clock::duration Worked() const override {
    struct timespec used;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
  }
};

}  // namespace

const PaceReadings& ThisThreadsReadings() {
  static const ThreadReadings readings;
  return readings;
}

Pace StartingPace(bool watchCold, bool cold, const PaceReadings& readings) {
  Pace pace;
  pace.watchCold = watchCold;
  pace.cold = cold;
  pace.blocks = readings.BlocksRead();
  pace.lookedAt = readings.Now();
  pace.worked = readings.Worked();
  return pace;
}

Pace Paced(Pace pace, size_t entries, bool helpersRun, const PaceReadings& readings) {
  const unsigned weight = 1 + static_cast<unsigned>(entries / kEntriesLikeAFolder);
  pace.resting -= std::min(pace.resting, weight);
  if (pace.watchCold && !pace.cold && (pace.sinceColdLook += weight) >= kLookEvery) {
    pace.sinceColdLook = 0;
    const uint64_t blocks = readings.BlocksRead();
    // Twice in a row: a cold tree reads from the disk all the time, while a
    // warm one may now and then page in a piece of the program itself.
    pace.coldLooks = blocks != pace.blocks ? pace.coldLooks + 1 : 0;
    pace.blocks = blocks;
    if (pace.coldLooks >= 2) {
      pace.cold = true;
      pace.resting = 0;
    }
  }
  if (!pace.cold && pace.resting == 0 && helpersRun && (pace.sinceHelpLook += weight) >= kFoldersPerLook) {
    const Clock::time_point now = readings.Now();
    const Clock::duration worked = readings.Worked();
    const bool helps =
        (worked - pace.worked) * 5 >= (now - pace.lookedAt) * 4 && pace.answers * 4 >= pace.sinceHelpLook;
    pace.lookedAt = now;
    pace.worked = worked;
    pace.resting = helps ? 0 : kRestFolders << pace.restShift;
    pace.restShift = helps ? 0 : std::min(pace.restShift + 1, kLongestRestShift);
    pace.sinceHelpLook = pace.answers = 0;
  }
  return pace;
}

}  // namespace dustvane
