#include "search/posix/folder_watches.h"

#include <sys/inotify.h>

#include <cerrno>
#include <cstdio>

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

}  // namespace dustvane
