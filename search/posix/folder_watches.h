#pragma once

#include "search/posix/descriptor.h"

namespace dustvane {

// Watches (inotify) on the folders a search noted for Delete: what tells
// Delete that a folder it reaches by name is the very folder the search
// listed, the very object in the kernel, and not another that shares its
// device, mount and inode numbers and its times. Those are given again: a
// stick replaced by another in the same reader, a clone of a disk, a btrfs
// subvolume put back from a snapshot, a folder made again, all can bear them.
//
// A watch holds its folder in the kernel's memory for as long as it lasts,
// without keeping its file system busy: the medium can still be unmounted,
// which ends the watch. Its number names that one folder for as long as the
// instance lasts, and the kernel gives the same number to a second watch on
// the same folder, another number to any other folder. The instance is a
// descriptor of its own, no folder's; it lasts from one search's beginning
// to the next's.
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

}  // namespace dustvane
