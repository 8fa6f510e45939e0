#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace dustvane {

// What the pacing of the read-ahead looks at. Each reading is a system call,
// so the pacing asks for one only when it looks, every so many folders.
class PaceReadings {
 public:
  virtual ~PaceReadings() = default;
  // Blocks the walk's thread has had read from a disk so far (none from the cache).
  virtual uint64_t BlocksRead() const = 0;
  virtual std::chrono::steady_clock::time_point Now() const = 0;
  // The time the walk's thread has had on a processor so far.
  virtual std::chrono::steady_clock::duration Worked() const = 0;
};

// The readings of the calling thread: the walk's own.
const PaceReadings& ThisThreadsReadings();

// How a walk paces its helpers: whether the tree has turned out cold (the
// walk's own reads go to a disk: many helpers then keep the disk busy), and
// whether the partners that read just ahead of a warm walk run beside it at
// all (where other programs keep the processors busy, they would take from
// the walk's share: they are left alone for a while).
struct Pace {
  bool watchCold = false;  // the walk looks whether its own reads go to a disk
  bool cold = false;
  unsigned resting = 0;    // folders left before the helpers are asked again
  unsigned restShift = 0;  // the next rest is this many times twice as long
  // Since the walk last looked whether it reads from a disk: folders, and
  // the looks in a row that found it did, with the blocks read then.
  unsigned sinceColdLook = 0;
  unsigned coldLooks = 0;
  uint64_t blocks = 0;
  // Since the walk last looked at its partners: folders, helpers' answers
  // taken, and when that was, with the walk's time on a processor then.
  unsigned sinceHelpLook = 0;
  unsigned answers = 0;
  std::chrono::steady_clock::time_point lookedAt;
  std::chrono::steady_clock::duration worked{};
};

// The pace at the start of a walk, cold from the start or not.
Pace StartingPace(bool watchCold, bool cold, const PaceReadings& readings);

// The pace after the walk listed a folder of `entries` entries (a folder of
// many counting as more), with helpers running or not.
Pace Paced(Pace pace, size_t entries, bool helpersRun, const PaceReadings& readings);

}  // namespace dustvane
