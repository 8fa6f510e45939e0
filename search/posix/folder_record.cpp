#include "search/posix/folder_record.h"

#include <fcntl.h>
#include <linux/fscrypt.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "search/posix/errno_failure.h"

namespace dustvane {

namespace {

FileTime Nanoseconds(const struct statx_timestamp& t) { return FileTime{t.tv_sec} * 1000000000 + t.tv_nsec; }

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
                       (st.stx_mask & STATX_BTIME) != 0 ? Nanoseconds(st.stx_btime) : 0}};
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

bool MayHoldEncryptedFolders(int fd) {
  fscrypt_get_policy_ex_arg policy = {};
  policy.policy_size = sizeof policy.policy;
  return ioctl(fd, FS_IOC_GET_ENCRYPTION_POLICY_EX, &policy) == 0 || (errno != EOPNOTSUPP && errno != ENOTTY);
}

bool IsEncrypted(int fd) {
  struct statx st;
  // Where the file system cannot tell, it is taken for encrypted.
  return statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_TYPE, &st) != 0 ||
         (st.stx_attributes & STATX_ATTR_ENCRYPTED) != 0;
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

}  // namespace dustvane
