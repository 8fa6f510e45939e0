#include "search/posix/file_removal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "search/posix/entry_path.h"
#include "search/posix/errno_failure.h"

namespace dustvane {

MaybeFailure RemoveFileWithoutLinks(const std::string& path) {
  if (path.empty()) return ErrnoFailure(ENOENT);
  Result<EntryInFolder> at = OpenHoldingFolder(path);
  if (!at.ok()) return at.failure();
  const int folderFd = at.value().FolderFd();
  const char* name = at.value().Name().c_str();
  struct stat st;
  if (fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return ErrnoFailure(errno);
  if (S_ISDIR(st.st_mode)) return ErrnoFailure(EISDIR);
  if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return ErrnoFailure(EACCES);
  // Without AT_REMOVEDIR this never removes a folder, even one that took the
  // file's place since the check above; a link goes, not its target.
  if (unlinkat(folderFd, name, 0) != 0) return ErrnoFailure(errno);
  return std::nullopt;
}

}  // namespace dustvane
