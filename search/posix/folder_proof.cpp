#include "search/posix/folder_proof.h"

#include <linux/btrfs.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace dustvane {

namespace {

// Any one event will do: the watch is there for its number, and its events
// are never read (the kernel keeps a bounded queue of them).
constexpr uint32_t kWatched = IN_DELETE_SELF | IN_ONLYDIR;

// The open folder `fd` by a name that leads to it alone, whatever happened
// to its path: its entry in /proc/self/fd.
int AddWatch(int instance, int fd, uint32_t mask) {
  char name[40];
  std::snprintf(name, sizeof name, "/proc/self/fd/%d", fd);
  return inotify_add_watch(instance, name, mask);
}

// The UUID of the btrfs subvolume the open folder `fd` lies in (Linux 4.18
// and later tell any user); all zero off btrfs.
SubvolumeId SubvolumeOf(int fd) {
  btrfs_ioctl_get_subvol_info_args info = {};
  SubvolumeId id{};
  // Some kernels answer 1 for success.
  if (ioctl(fd, BTRFS_IOC_GET_SUBVOL_INFO, &info) >= 0) std::memcpy(id.data(), info.uuid, id.size());
  return id;
}

}  // namespace

int FolderWatches::Watch(int fd) {
  if (!instance_.open()) instance_.reset(inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
  if (!instance_.open()) return kNone;
  const int watch = AddWatch(instance_.get(), fd, kWatched);
  return watch >= 0 ? watch : kNone;
}

int FolderWatches::WatchOf(int fd) const {
  if (!instance_.open()) return kNone;
  // A watch it could make afresh is on a folder none of ours is: gone again.
  const int fresh = AddWatch(instance_.get(), fd, kWatched | IN_MASK_CREATE);
  if (fresh >= 0) {
    inotify_rm_watch(instance_.get(), fresh);
    return kNone;
  }
  if (errno != EEXIST) return kNone;
  const int watch = AddWatch(instance_.get(), fd, kWatched);
  return watch >= 0 ? watch : kNone;
}

FolderProof TakeProof(int fd, FolderWatches& watches, const FolderProof* above) {
  FolderProof proof;
  proof.subvolume = above != nullptr ? above->subvolume : SubvolumeOf(fd);
  if (proof.subvolume == SubvolumeId{}) proof.watch = watches.Watch(fd);
  return proof;
}

FolderProof ProofNow(int fd, const FolderWatches& watches, const FolderProof& taken) {
  FolderProof proof;
  if (taken.subvolume != SubvolumeId{}) {
    proof.subvolume = SubvolumeOf(fd);
  } else {
    proof.watch = watches.WatchOf(fd);
  }
  return proof;
}

}  // namespace dustvane
