#pragma once

#include <cstddef>
#include <cstdint>

namespace dustvane {

// What the pacing of the read-ahead looks at. A reading is a system call,
// so the pacing asks for one only when it looks, every so many folders.
class PaceReadings {
 public:
  virtual ~PaceReadings() = default;
  // Blocks the walk's thread has had read from a disk so far (none from the cache).
  virtual uint64_t BlocksRead() const = 0;
};

// The readings of the calling thread: the walk's own.
const PaceReadings& ThisThreadsReadings();

// How a walk paces its helpers: whether the tree has turned out cold (the
// walk's own reads go to a disk), and so whether many helpers warm the
// folders ahead of it, keeping the disk busy. On a warm tree they would
// only repeat what the walk does itself.
struct Pace {
  bool watchCold = false;  // the walk looks whether its own reads go to a disk
  bool cold = false;
  // Since the walk last looked whether it reads from a disk: folders, and
  // the looks in a row that found it did, with the blocks read then.
  unsigned sinceColdLook = 0;
  unsigned coldLooks = 0;
  uint64_t blocks = 0;
};

// The pace at the start of a walk, cold from the start or not.
Pace StartingPace(bool watchCold, bool cold, const PaceReadings& readings);

// The pace after the walk listed a folder of `entries` entries (a folder of
// many counting as more).
Pace Paced(Pace pace, size_t entries, const PaceReadings& readings);

}  // namespace dustvane
