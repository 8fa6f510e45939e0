#include "search/posix/file_removal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "search/posix/descriptor.h"
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

// Whether the open folder `fd` is the very folder noted with `mark`: it
// gives the proof the search took of that folder, and bears the rest of
// the mark.
bool Bears(int fd, const FolderMark& mark, const FolderWatches& watches) {
  if (!mark.proof.Proves()) return false;
  const Result<FolderRecord> record = ReadRecord(fd);
  return record.ok() && MarkOf(record.value(), ProofNow(fd, watches, mark.proof)) == mark;
}

// Opens the last folder of `way` into `at`, reached from the root (by its
// path, as the search opened it) name by name, not through a link, each
// folder bearing its mark.
MaybeFailure OpenWay(const std::vector<WalkedFolders<FolderMark>::Step>& way, const FolderWatches& watches, Descriptor& at) {
  const std::string root(way[0].name);
  at.reset(open(root.empty() ? "." : root.c_str(), kWayFlags | O_DIRECTORY));
  for (size_t depth = 0;; ++depth) {
    if (!at.open()) return NotReached(errno);
    if (!Bears(at.get(), way[depth].mark, watches)) return ErrnoFailure(ENOENT);
    if (depth + 1 == way.size()) return std::nullopt;
    at = Descriptor(openat(at.get(), std::string(way[depth + 1].name).c_str(), kWayFlags | O_NOFOLLOW));
  }
}

}  // namespace

MaybeFailure RemoveWalkedFile(const WalkedFolders<FolderMark>& walked, const FolderWatches& watches,
                              const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
  if (nameAt == path.size()) return ErrnoFailure(ENOENT);
  const std::optional<std::vector<WalkedFolders<FolderMark>::Step>> way =
      walked.WayTo(std::string_view(path).substr(0, nameAt));
  if (!way) return ErrnoFailure(ENOENT);
  Descriptor folder;
  if (MaybeFailure failure = OpenWay(*way, watches, folder)) return failure;
  const std::string name = path.substr(nameAt);
  struct stat st;
  if (fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return ErrnoFailure(errno);
  if (S_ISDIR(st.st_mode)) return ErrnoFailure(EISDIR);
  if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return ErrnoFailure(EACCES);
  // Without AT_REMOVEDIR this never removes a folder, even one that took the
  // file's place since the check above; a link goes, not its target.
  if (unlinkat(folder.get(), name.c_str(), 0) != 0) return ErrnoFailure(errno);
  return std::nullopt;
}

}  // namespace dustvane
