#include "search/posix/read_ahead_pacing.h"

#include <sys/resource.h>

namespace dustvane {

namespace {

// How often the walk looks whether its own reads went to a disk, in folders:
// often enough to start the helpers within a few folders, rarely enough to
// cost nothing. A folder counts as one more for each so many entries.
constexpr unsigned kLookEvery = 16;
constexpr size_t kEntriesLikeAFolder = 256;

class ThreadReadings final : public PaceReadings {
 public:
  uint64_t BlocksRead() const override {
    struct rusage usage;
    if (getrusage(RUSAGE_THREAD, &usage) != 0) return 0;
    return static_cast<uint64_t>(usage.ru_inblock);
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
  return pace;
}

Pace Paced(Pace pace, size_t entries, const PaceReadings& readings) {
  const unsigned weight = 1 + static_cast<unsigned>(entries / kEntriesLikeAFolder);
  if (!pace.watchCold || pace.cold || (pace.sinceColdLook += weight) < kLookEvery) return pace;
  pace.sinceColdLook = 0;
  const uint64_t blocks = readings.BlocksRead();
  // Twice in a row: a cold tree reads from the disk all the time, while a
  // warm one may now and then page in a piece of the program itself.
  pace.coldLooks = blocks != pace.blocks ? pace.coldLooks + 1 : 0;
  pace.blocks = blocks;
  pace.cold = pace.coldLooks >= 2;
  return pace;
}

}  // namespace dustvane
