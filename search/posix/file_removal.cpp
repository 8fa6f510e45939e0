#include "search/posix/file_removal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "search/posix/descriptor.h"
#include "search/posix/errno_failure.h"
#include "search/posix/folder_record.h"
#include "search/proven_way.h"

namespace dustvane {

namespace {

// Path-only descriptors: they need no permission on the folder itself, ask
// nothing of its file system beyond the lookup, and, without O_DIRECTORY, set
// off no automount that took a folder's place.
constexpr int kWayFlags = O_PATH | O_CLOEXEC;

// A folder on the way that is not there, or not a folder, is not the one the
// search walked; any other failure is the system's to tell.
Failure NotReached(int error) { return ErrnoFailure(error == ENOTDIR || error == ELOOP ? ENOENT : error); }

// The way to a file's folder, opened from the search's root (by its path,
// as the search opened it) name by name, not through a link, each folder
// bearing its mark (search/proven_way.h).
struct WayOps {
  const FolderWatches& watches;

  static Result<Descriptor> Opened(int fd) {
    if (fd < 0) return NotReached(errno);
    return Descriptor(fd);
  }
  Result<Descriptor> OpenRoot(PathView path) {
    const std::string root(path);
    return Opened(open(root.empty() ? "." : root.c_str(), kWayFlags | O_DIRECTORY));
  }
  Result<Descriptor> OpenChild(const Descriptor& folder, PathView name) {
    return Opened(openat(folder.get(), std::string(name).c_str(), kWayFlags | O_NOFOLLOW));
  }
  // Whether the open folder is the very folder noted with `mark`: it gives
  // the proof the search took of that folder, and bears the rest of the mark.
  bool Bears(const Descriptor& folder, const FolderMark& mark) {
    if (!mark.proof.Proves()) return false;
    const Result<FolderRecord> record = ReadRecord(folder.get());
    return record.ok() && MarkOf(record.value(), ProofNow(folder.get(), watches, mark.proof)) == mark;
  }
  static Failure Gone() { return ErrnoFailure(ENOENT); }
};

}  // namespace

MaybeFailure RemoveWalkedFile(const WalkedFolders<FolderMark>& walked, const FolderWatches& watches,
                              const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
  if (nameAt == path.size()) return ErrnoFailure(ENOENT);
  const std::optional<std::vector<WalkedFolders<FolderMark>::Step>> way =
      walked.WayTo(std::string_view(path).substr(0, nameAt));
  if (!way) return ErrnoFailure(ENOENT);
  WayOps ops{watches};
  Result<Descriptor> opened = OpenProvenWay<Descriptor>(*way, ops);
  if (!opened.ok()) return opened.failure();
  const Descriptor& folder = opened.value();
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
