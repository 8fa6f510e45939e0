#include "search/posix/folder_opener.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>

#include <linux/openat2.h>
#include <sys/syscall.h>

#include "search/posix/descriptor.h"
#include "search/posix/errno_failure.h"
#include "search/posix/mount_table.h"

namespace dustvane {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
constexpr int kSubFolderFlags = kFolderFlags | O_NOFOLLOW;

std::atomic<uint64_t> opens{0};

Result<int> Opened(int fd) {
  if (fd < 0) return ErrnoFailure(errno);
  opens.fetch_add(1, std::memory_order_relaxed);
  return fd;
}

// Whether the mount `id` is one the walk never enters, by the walk's mount
// table, or where that does not know it (mounted since the walk began), by
// the table as it is now. Nothing where neither knows it (no /proc to read
// the table from, as in some sandboxes).
std::optional<bool> IsSystemMountNumbered(int id, const MountMap& mounts) {
  if (const std::optional<bool> system = mounts.IsSystem(id)) return *system;
  for (const Mount& mount : ReadMountTable()) {
    if (mount.id == id) return IsSystemMount(mount);
  }
  return std::nullopt;
}

// Whether the walk enters the folder on another file system that `at` (a
// path-only descriptor, which asks nothing of that file system) stands for.
// Where no table knows its mount, only what the file system itself tells
// decides: FUSE, which fronts remote stores as well as local disks, is not
// entered, as only a table tells which it is.
bool EntersCrossing(int at, const WalkRules& rules) {
  const std::optional<KnownFolder> known = KnownWithoutAsking(at);
  const std::optional<bool> system =
      known && known->mountId >= 0 ? IsSystemMountNumbered(known->mountId, rules.mounts) : std::nullopt;
  if (!known || system.value_or(false)) return false;
  struct statfs fs;
  if (fstatfs(at, &fs) != 0 || IsSystemFileSystemMagic(static_cast<long>(fs.f_type))) return false;
  if (!system && IsFuseMagic(static_cast<long>(fs.f_type))) return false;
  // A folder mounted below itself would be walked for ever.
  return !rules.isInside(known->identity);
}

Result<WalkOpened> OpenCrossing(int folderFd, const std::string& name, const WalkRules& rules) {
  Descriptor at(openat(folderFd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  if (at.get() < 0) return ErrnoFailure(errno);
  WalkOpened opened;
  opened.crossed = true;
  if (!EntersCrossing(at.get(), rules)) return opened;
  Result<int> fd = Opened(openat(at.get(), ".", kFolderFlags));
  if (!fd.ok()) return fd.failure();
  opened.fd = fd.value();
  return opened;
}

// The open folder `fd` where the process may search it (look names up in
// it), as the kernel decides: mode bits, access lists and capabilities alike.
// Otherwise it is closed, and the open fails as for a folder that may not be
// read (EACCES).
int OnlyIfSearchable(int fd) {
  if (fd >= 0 && faccessat(fd, ".", X_OK, AT_EACCESS) != 0) {
    close(fd);
    errno = EACCES;
    return -1;
  }
  return fd;
}

// openat2 refuses to cross a mount (EXDEV), so that an ordinary folder costs
// no more than one open. It opens "name/.", not "name": looking "." up in the
// folder needs search permission on it, so a folder the process may list
// but not search fails as one it may not read (EACCES), at no cost of a
// system call; RESOLVE_NO_SYMLINKS keeps "name" from being a link, as
// O_NOFOLLOW did. Where the kernel has no openat2 (before 5.6, or refused by
// a sandbox), a crossing is told by the device of what was opened, and
// search permission is asked.
std::atomic<bool> noOpenat2{false};

int OpenWithoutCrossing(int folderFd, const std::string& name) {
  if (!noOpenat2.load(std::memory_order_relaxed)) {
    struct open_how how = {};
    how.flags = static_cast<uint64_t>(kSubFolderFlags);
    how.resolve = RESOLVE_NO_XDEV | RESOLVE_NO_SYMLINKS;
    // One buffer a thread, not an allocation a folder.
    thread_local std::string searched;
    searched.assign(name).append("/.");
    const long fd = syscall(SYS_openat2, folderFd, searched.c_str(), &how, sizeof how);
    // A link in a folder's place is not a folder, as O_DIRECTORY tells of it.
    if (fd < 0 && errno == ELOOP) errno = ENOTDIR;
    if (fd >= 0 || (errno != ENOSYS && errno != EPERM)) return static_cast<int>(fd);
    noOpenat2.store(true, std::memory_order_relaxed);
  }
  const int fd = openat(folderFd, name.c_str(), kSubFolderFlags);
  struct stat inside, outside;
  if (fd >= 0 && fstat(fd, &inside) == 0 && fstat(folderFd, &outside) == 0 && inside.st_dev != outside.st_dev) {
    close(fd);
    errno = EXDEV;
    return -1;
  }
  return OnlyIfSearchable(fd);
}

}  // namespace

Result<int> OpenPathBelow(int anchorFd, const std::string& path, bool pathOnly) {
  struct open_how how = {};
  how.flags = static_cast<uint64_t>(pathOnly ? O_PATH | O_DIRECTORY | O_CLOEXEC : kFolderFlags);
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_XDEV | RESOLVE_NO_SYMLINKS;
  // Through its "." entry, as OpenWithoutCrossing.
  thread_local std::string searched;
  searched.assign(path).append(".");
  return Opened(static_cast<int>(syscall(SYS_openat2, anchorFd, searched.c_str(), &how, sizeof how)));
}

Result<int> OpenFolderAtPath(const std::string& path) {
  // Through its "." entry, which only a folder the process may search lets
  // it look up (as OpenWithoutCrossing).
  const std::string searched = path.empty() ? "." : path + (path.back() == '/' ? "." : "/.");
  return Opened(open(searched.c_str(), kFolderFlags));
}

Result<int> OpenSubFolder(int folderFd, const std::string& name) {
  return Opened(openat(folderFd, name.c_str(), kSubFolderFlags));
}

Result<int> OpenParentFolder(int folderFd) { return Opened(openat(folderFd, "..", kFolderFlags)); }

Result<int> OpenSubFolderWithoutCrossing(int folderFd, const std::string& name) {
  return Opened(OpenWithoutCrossing(folderFd, name));
}

Result<WalkOpened> OpenSubFolderByWalkRules(int folderFd, const std::string& name, const WalkRules& rules) {
  Result<int> fd = OpenSubFolderWithoutCrossing(folderFd, name);
  if (fd.ok()) return WalkOpened{fd.value(), false};
  if (fd.failure().number != EXDEV) return fd.failure();
  return OpenCrossing(folderFd, name, rules);
}

uint64_t FolderOpensSoFar() { return opens.load(std::memory_order_relaxed); }

}  // namespace dustvane
