#include "search/posix/folder_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "search/posix/errno_failure.h"

namespace dustvane {

namespace {

FileTime Nanoseconds(const struct statx_timestamp& t) { return FileTime{t.tv_sec} * 1000000000 + t.tv_nsec; }
FileTime Nanoseconds(const struct timespec& t) { return FileTime{t.tv_sec} * 1000000000 + t.tv_nsec; }

// How long after a change a second change can still carry its time: a few
// ticks of the kernel's clock (1 to 10 ms) where times are kept to the
// nanosecond, and two seconds where they may be kept to even seconds (FAT).
constexpr FileTime kFineStep = 50'000'000;
constexpr FileTime kCoarseStep = 2'100'000'000;
// How far the two clocks may drift apart between a listing and the walk's
// coming to it without the time having been set: a tick between the two
// readings at most. A step back of no more than this gives no folder its
// old times again: a record is taken only once it is older than a fine step.
constexpr FileTime kLargestClockDrift = 10'000'000;

}  // namespace

// Linux 6.8 and later; older kernels leave the bit unanswered.
#ifndef STATX_MNT_ID_UNIQUE
#define STATX_MNT_ID_UNIQUE 0x00004000U
#endif

namespace {
FolderIdentity IdentityOf(const struct statx& st) {
  return {makedev(st.stx_dev_major, st.stx_dev_minor), static_cast<ino_t>(st.stx_ino)};
}
}  // namespace

Result<FolderRecord> ReadRecord(int fd) {
  struct statx st;
  if (statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW,
            STATX_BASIC_STATS | STATX_BTIME | STATX_MNT_ID | STATX_MNT_ID_UNIQUE, &st) != 0) {
    return ErrnoFailure(errno);
  }
  MountIdentity mount{(st.stx_mask & (STATX_MNT_ID | STATX_MNT_ID_UNIQUE)) != 0 ? st.stx_mnt_id : 0, 0};
  if ((st.stx_mask & STATX_MNT_ID_UNIQUE) == 0) {
    struct statfs fs;
    if (fstatfs(fd, &fs) != 0) return ErrnoFailure(errno);
    std::memcpy(&mount.fileSystem, &fs.f_fsid, std::min(sizeof mount.fileSystem, sizeof fs.f_fsid));
  }
  return FolderRecord{IdentityOf(st), mount,
                      {Nanoseconds(st.stx_ctime), Nanoseconds(st.stx_mtime),
                       (st.stx_mask & STATX_BTIME) != 0 ? Nanoseconds(st.stx_btime) : 0},
                      (st.stx_attributes & STATX_ATTR_ENCRYPTED) != 0};
}

Result<FileRecord> ReadFileRecord(int folderFd, const char* name) {
  struct statx st;
  if (statx(folderFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_FORCE_SYNC,
            STATX_BASIC_STATS | STATX_BTIME, &st) != 0) {
    return ErrnoFailure(errno);
  }
  const FolderState times{Nanoseconds(st.stx_ctime), Nanoseconds(st.stx_mtime),
                          (st.stx_mask & STATX_BTIME) != 0 ? Nanoseconds(st.stx_btime) : 0};
  return FileRecord{{IdentityOf(st), times, st.stx_size}, st.stx_mode};
}

bool StillShows(int folderFd, const char* name, const FolderRecord& record) {
  struct statx st;
  if (statx(folderFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
            STATX_BASIC_STATS | STATX_BTIME | STATX_MNT_ID | STATX_MNT_ID_UNIQUE, &st) != 0 ||
      !S_ISDIR(st.stx_mode) || (st.stx_mask & (STATX_MNT_ID | STATX_MNT_ID_UNIQUE)) == 0) {
    return false;
  }
  const FolderState now{Nanoseconds(st.stx_ctime), Nanoseconds(st.stx_mtime),
                        (st.stx_mask & STATX_BTIME) != 0 ? Nanoseconds(st.stx_btime) : 0};
  return IdentityOf(st) == record.identity && st.stx_mnt_id == record.mount.id && now == record.state;
}

std::optional<FolderIdentity> IdentityOfEntry(int folderFd, const char* name) {
  struct statx st;
  if (statx(folderFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_INO, &st) != 0) return std::nullopt;
  return IdentityOf(st);
}

std::optional<KnownFolder> KnownWithoutAsking(int fd) {
  struct statx st;
  if (statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, STATX_TYPE | STATX_INO | STATX_MNT_ID,
            &st) != 0 ||
      !S_ISDIR(st.stx_mode)) {
    return std::nullopt;
  }
  return KnownFolder{IdentityOf(st), (st.stx_mask & STATX_MNT_ID) != 0 ? static_cast<int>(st.stx_mnt_id) : -1};
}

bool IsWithoutAsking(int folderFd, const char* name, const FolderIdentity& identity, uint64_t mount) {
  // The mount's number is the one a record reads: unique where the kernel
  // gives such numbers (STATX_MNT_ID_UNIQUE), the reused one before.
  struct statx st;
  const int self = name[0] == '\0' ? AT_EMPTY_PATH : 0;
  return statx(folderFd, name, self | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC,
               STATX_TYPE | STATX_INO | STATX_MNT_ID | STATX_MNT_ID_UNIQUE, &st) == 0 &&
         (st.stx_mask & (STATX_MNT_ID | STATX_MNT_ID_UNIQUE)) != 0 && IdentityOf(st) == identity &&
         st.stx_mnt_id == mount;
}

bool MayChangeUnseen(const FolderState& state, const ClockReading& readAt, const ClockReading& now, bool fineTimes) {
  const FileTime step = fineTimes ? kFineStep : kCoarseStep;
  // A time ahead of the clock (a clock set back, a time set by hand) tells
  // nothing either.
  return readAt.now - state.changed < step || readAt.now - state.modified < step ||
         std::abs(now.fromSteady - readAt.fromSteady) > kLargestClockDrift;
}

ClockReading ReadFileSystemClock() {
  // The coarse clocks move at the same ticks, so that the distance between
  // them moves only where the time is set.
  struct timespec wall, steady;
  clock_gettime(CLOCK_REALTIME_COARSE, &wall);
  clock_gettime(CLOCK_MONOTONIC_COARSE, &steady);
  return {Nanoseconds(wall), Nanoseconds(wall) - Nanoseconds(steady)};
}

bool KeepsFineTimes(const FolderState& state) {
  constexpr FileTime kSecond = 1'000'000'000;
  return state.born != 0 && (state.changed % kSecond != 0 || state.modified % kSecond != 0);
}

}  // namespace dustvane
