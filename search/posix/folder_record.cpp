#include "search/posix/folder_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "search/posix/errno_failure.h"

namespace dustvane {

namespace {

#ifdef __linux__
FileTime Nanoseconds(const struct statx_timestamp& t) { return FileTime{t.tv_sec} * 1000000000 + t.tv_nsec; }
#endif
FileTime Nanoseconds(const struct timespec& t) { return FileTime{t.tv_sec} * 1000000000 + t.tv_nsec; }

// How long after a change a second change can still carry its time: a few
// ticks of the kernel's clock (1 to 10 ms) where times are kept to the
// nanosecond, and two seconds where they may be kept to even seconds (FAT).
constexpr FileTime kFineStep = 50'000'000;
constexpr FileTime kCoarseStep = 2'100'000'000;

}  // namespace

#ifdef __linux__

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
                       (st.stx_mask & STATX_BTIME) != 0 ? Nanoseconds(st.stx_btime) : 0}};
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

#else

namespace {
FolderIdentity IdentityOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }
}  // namespace

Result<FolderRecord> ReadRecord(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0) return ErrnoFailure(errno);
  return FolderRecord{IdentityOf(st), {}, {Nanoseconds(st.st_ctim), Nanoseconds(st.st_mtim), 0}};
}

std::optional<FolderIdentity> IdentityOfEntry(int folderFd, const char* name) {
  struct stat st;
  if (fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
  return IdentityOf(st);
}

std::optional<KnownFolder> KnownWithoutAsking(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return KnownFolder{IdentityOf(st), -1};
}

#endif

bool MayChangeUnseen(const FolderState& state, FileTime now, bool fineTimes) {
  const FileTime step = fineTimes ? kFineStep : kCoarseStep;
  // A time ahead of the clock (a clock set back, a time set by hand) tells
  // nothing either.
  return now - state.changed < step || now - state.modified < step;
}

FileTime FileSystemClockNow() {
  struct timespec now;
#ifdef CLOCK_REALTIME_COARSE
  clock_gettime(CLOCK_REALTIME_COARSE, &now);
#else
  clock_gettime(CLOCK_REALTIME, &now);
#endif
  return Nanoseconds(now);
}

bool KeepsFineTimes(const FolderState& state) {
  constexpr FileTime kSecond = 1'000'000'000;
  return state.born != 0 && (state.changed % kSecond != 0 || state.modified % kSecond != 0);
}

}  // namespace dustvane
