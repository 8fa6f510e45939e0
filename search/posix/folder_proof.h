#pragma once

#include <array>
#include <cstdint>

#include "search/posix/descriptor.h"

namespace dustvane {

// What tells Delete that a folder it reaches by name is the very folder the
// search listed, and not another that shares its device, mount and inode
// numbers and its times. Those are given again: a stick replaced by another
// in the same reader, a clone of a disk, a btrfs subvolume put back from a
// snapshot, a folder made again, all can bear them.
//
// Mostly a watch (inotify). A watch holds its folder in the kernel's memory
// for as long as it lasts, without keeping its file system busy: the medium
// can still be unmounted, which ends the watch. Its number names that one
// folder for as long as the instance lasts: the kernel gives the same number
// to a second watch on the same folder, another number to any other folder.
// The instance is a descriptor of its own, no folder's; it lasts from one
// search's beginning to the next's.
//
// On btrfs the subvolume's UUID instead, which no other subvolume shares, a
// snapshot of it included: a watch there would keep a subvolume deleted
// meanwhile from being cleaned up, and its space from coming back, until
// the next search. Two disks cloned from one image share it.
class FolderWatches {
 public:
  static constexpr int kNone = -1;

  // Lets go of every watch: a new search begins.
  void Reset() { instance_.reset(); }

  // A watch on the open folder `fd`; kNone where the system gives none (its
  // per-user limits reached, no /proc to name the folder by).
  int Watch(int fd);

  // The watch the open folder `fd` (a path-only descriptor will do) bears
  // among those taken since Reset; kNone where it bears none. Asks without
  // leaving a watch behind.
  int WatchOf(int fd) const;

 private:
  Descriptor instance_;
};

using SubvolumeId = std::array<uint8_t, 16>;  // all zero: not on btrfs

struct FolderProof {
  int watch = FolderWatches::kNone;
  SubvolumeId subvolume{};
  bool Proves() const { return watch != FolderWatches::kNone || subvolume != SubvolumeId{}; }
  friend bool operator==(const FolderProof&, const FolderProof&) = default;
};

// The proof of the open folder `fd`, taken while the search has it open.
// `above` is that of the folder above it on the same device, if known: it
// lies in the same subvolume, and only a folder on a device of its own asks
// btrfs.
FolderProof TakeProof(int fd, FolderWatches& watches, const FolderProof* above);

// The proof the open folder `fd` (a path-only descriptor will do) gives now,
// of the kind `taken` is, for Delete to hold it against that.
FolderProof ProofNow(int fd, const FolderWatches& watches, const FolderProof& taken);

}  // namespace dustvane
