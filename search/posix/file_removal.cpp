#include "search/posix/file_removal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "search/posix/entry_path.h"
#include "search/posix/errno_failure.h"
#include "search/posix/folder_record.h"

namespace dustvane {

namespace {

// Path-only descriptors: they need no permission on the folder itself, ask
// nothing of its file system beyond the lookup, and, without O_DIRECTORY, set
// off no automount that took a folder's place.
constexpr int kWayFlags = O_PATH | O_CLOEXEC;

// A folder on the way that is not there, or not a folder, is not the one the
// search walked; any other failure is the system's to tell.
Failure NotReached(int error) { return ErrnoFailure(error == ENOTDIR || error == ELOOP ? ENOENT : error); }

bool Bears(int fd, const FolderMark& mark) {
  const Result<FolderRecord> record = ReadRecord(fd);
  return record.ok() && MarkOf(record.value()) == mark;
}

// The last folder of `way`, reached from the root (by its path, as the
// search opened it) name by name, not through a link, each folder bearing
// its mark.
Result<int> OpenWay(const std::vector<WalkedFolders::Step>& way) {
  const std::string root(way[0].name);
  int fd = open(root.empty() ? "." : root.c_str(), kWayFlags | O_DIRECTORY);
  for (size_t depth = 0;; ++depth) {
    if (fd < 0) return NotReached(errno);
    if (!Bears(fd, way[depth].mark)) {
      close(fd);
      return ErrnoFailure(ENOENT);
    }
    if (depth + 1 == way.size()) return fd;
    const int inner = openat(fd, std::string(way[depth + 1].name).c_str(), kWayFlags | O_NOFOLLOW);
    const int error = errno;
    close(fd);
    fd = inner;
    errno = error;
  }
}

}  // namespace

MaybeFailure RemoveWalkedFile(const WalkedFolders& walked, const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
  if (nameAt == path.size()) return ErrnoFailure(ENOENT);
  const std::optional<std::vector<WalkedFolders::Step>> way = walked.WayTo(std::string_view(path).substr(0, nameAt));
  if (!way) return ErrnoFailure(ENOENT);
  Result<int> fd = OpenWay(*way);
  if (!fd.ok()) return fd.failure();
  const EntryInFolder at(fd.value(), path.substr(nameAt));
  const char* name = at.Name().c_str();
  struct stat st;
  if (fstatat(at.FolderFd(), name, &st, AT_SYMLINK_NOFOLLOW) != 0) return ErrnoFailure(errno);
  if (S_ISDIR(st.st_mode)) return ErrnoFailure(EISDIR);
  if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return ErrnoFailure(EACCES);
  // Without AT_REMOVEDIR this never removes a folder, even one that took the
  // file's place since the check above; a link goes, not its target.
  if (unlinkat(at.FolderFd(), name, 0) != 0) return ErrnoFailure(errno);
  return std::nullopt;
}

}  // namespace dustvane
