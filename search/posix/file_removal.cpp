#include "search/posix/file_removal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "search/posix/descriptor.h"
#include "search/posix/errno_failure.h"
#include "search/posix/folder_proof.h"
#include "search/posix/folder_record.h"
#include "search/posix/walk_mounts.h"
#include "search/proven_way.h"

namespace dustvane {

namespace {

// Path-only descriptors: they need no permission on the folder itself, ask
// nothing of its file system beyond the lookup (and nothing at all of a file
// system mounted on the name), and, without O_DIRECTORY, set off no
// automount that took a folder's place.
constexpr int kWayFlags = O_PATH | O_CLOEXEC;

// A folder on the way that is not there, or not a folder, is not the one the
// search walked; any other failure is the system's to tell.
Failure NotReached(int error) { return ErrnoFailure(error == ENOTDIR || error == ELOOP ? ENOENT : error); }

// The way to a file's folder, opened from the search's root (by its path,
// as the search opened it) name by name, not through a link, each folder
// bearing its mark (search/proven_way.h).
struct WayOps {
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
  // Whether the open folder is the very folder noted with `mark`. Its
  // file system is asked only once the kernel has told, without asking it,
  // that the folder is the one noted, on the mount noted.
  bool Bears(const Descriptor& folder, const FolderMark& mark) {
    if (!IsWithoutAsking(folder.get(), "", mark.identity, mark.mount.id)) return false;
    const Result<FolderRecord> record = ReadRecord(folder.get());
    if (!record.ok()) return false;
    const SubvolumeId subvolume = mark.subvolume != SubvolumeId{} ? SubvolumeOfPath(folder.get()) : SubvolumeId{};
    return MarkOf(record.value(), subvolume) == mark;
  }
  static Failure Gone() { return ErrnoFailure(ENOENT); }
};

// Whether a mount came, since the search, at its root or a folder above it:
// the root's path would lead into it, asking it each name on the way. The
// mount table tells without asking any file system.
bool MountedOnRootPathSince(const WalkedTree& walked) {
  if (walked.rootInSystem.empty()) return false;
  const std::vector<int>& before = walked.mountsAtOrAboveRoot;
  for (const int id : MountsAtOrAbove(ReadMountTable(), walked.rootInSystem)) {
    if (std::find(before.begin(), before.end(), id) == before.end()) return true;
  }
  return false;
}

}  // namespace

MaybeFailure RemoveWalkedFile(const WalkedTree& walked, const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
  if (nameAt == path.size()) return ErrnoFailure(ENOENT);
  const std::optional<std::vector<WalkedFolders<FolderMark>::Step>> way =
      walked.folders.WayTo(std::string_view(path).substr(0, nameAt));
  if (!way) return ErrnoFailure(ENOENT);
  const std::string name = path.substr(nameAt);
  if (MountedOnRootPathSince(walked)) return ErrnoFailure(ENOENT);
  WayOps ops;
  Result<Descriptor> opened = OpenProvenWay<Descriptor>(*way, ops);
  if (!opened.ok()) return opened.failure();
  const Descriptor& folder = opened.value();
  // Whatever is mounted on the name since is refused without being asked.
  const auto listed = walked.files.find({way->back().at, name});
  if (listed != walked.files.end() &&
      !IsWithoutAsking(folder.get(), name.c_str(), listed->second.identity, way->back().mark.mount.id)) {
    return ErrnoFailure(ENOENT);
  }
  const Result<FileRecord> now = ReadFileRecord(folder.get(), name.c_str());
  if (!now.ok()) return now.failure();
  // What the name shows now is refused for what it is where that refuses it
  // anyway (a folder no line names, the listed file made read-only);
  // otherwise only the file listed goes.
  const mode_t mode = now.value().mode;
  if (S_ISDIR(mode)) return ErrnoFailure(EISDIR);
  if (!S_ISLNK(mode) && (mode & S_IWUSR) == 0) return ErrnoFailure(EACCES);
  if (listed == walked.files.end() || !(now.value().mark == listed->second)) return ErrnoFailure(ENOENT);
  // The kernel removes by name alone: what a concurrent rename puts under
  // the name between the check above and this call goes instead
  // (docs/linux-mapping.md). Without AT_REMOVEDIR it is never a folder.
  if (unlinkat(folder.get(), name.c_str(), 0) != 0) return ErrnoFailure(errno);
  return std::nullopt;
}

}  // namespace dustvane
