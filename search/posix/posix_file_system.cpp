// The file-system queries on POSIX systems.
//
// How the program's notions map onto POSIX:
// - "/" separates folders; folder paths end in "/"; the local disk is "/".
// - Names are bytes, passed on as the file system gave them.
// - Attributes are read without following symbolic links:
//     directory  a directory (a link is never one, whatever it points to);
//     hidden     the name begins with ".";
//     read-only  the owner's write permission bit is clear;
//     system     neither a regular file, a directory nor a link (devices,
//                FIFOs, sockets), or a folder where a kernel virtual or a
//                network file system is mounted.
// - Failures carry errno and the system's text for it.
//
// The walk's cost is dominated by system calls, so this layer keeps the open
// folders of the current walk (a chain from the outermost folder inwards) and
// opens each new folder relative to its parent, one component at a time and
// never through a link. A folder is listed once with getdents; the entry
// kinds the listing reports answer the enumeration masks and the directory
// question without a stat per entry, and the second enumeration of the same
// folder (files after folders) is served from the same listing.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "search/file_system.h"
#include "search/name_pattern.h"
#include "search/posix/errno_failure.h"
#include "search/posix/folder_listing.h"
#include "search/posix/mount_table.h"

namespace dustvane {

namespace {

// Enough for any ordinary tree while staying far below the process's limit
// of open files; deeper trees are reopened from further out when needed.
constexpr size_t kMostOpenFolders = 64;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// Whether `folder` is `outer` or lies inside it. The working folder (the
// empty path) holds no absolute path, so it only matches itself.
bool IsWithin(std::string_view folder, std::string_view outer) {
  return outer.empty() ? folder.empty() : StartsWith(folder, outer);
}

bool IsHiddenName(std::string_view name) { return !name.empty() && name[0] == '.'; }

// Folders where a system file system is mounted, as "path/" strings, and the
// folders that hold them, so that an ordinary folder costs one lookup.
class SystemMounts {
 public:
  void Load() {
    points_.clear();
    parents_.clear();
    for (const Mount& mount : ReadMountTable()) {
      if (mount.point == "/" || !IsSystemFileSystemType(mount.type)) continue;
      const std::string point = mount.point + "/";
      points_.insert(point);
      parents_.insert(point.substr(0, point.rfind('/', point.size() - 2) + 1));
    }
  }
  bool HoldsAny(const std::string& folder) const { return parents_.count(folder) != 0; }
  bool Contains(const std::string& folderPath) const { return points_.count(folderPath) != 0; }

 private:
  std::unordered_set<std::string> points_;
  std::unordered_set<std::string> parents_;
};

class PosixFileSystem final : public FileSystem {
 public:
  PosixFileSystem() = default;
  ~PosixFileSystem() override { CloseFolders(); }

  Result<PathString> EnumFirst(const PathString& pattern, Attributes mask) override {
    started_ = false;
    const size_t slash = pattern.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);
    if (folder.size() >= PATH_MAX) return ErrnoFailure(ENAMETOOLONG);

    // The listing just read serves one more enumeration of the same folder
    // (the files after the folders); any later one reads the folder afresh.
    if (listingValid_ && folder == listedFolder_ && listingUses_ < 2) {
      ++listingUses_;
    } else {
      listingValid_ = false;
      lastHanded_ = kNone;
      Result<int> fd = OpenFolder(folder);
      if (!fd.ok()) {
        // A folder we may not read is an empty one: a whole-disk search by an
        // ordinary user meets many, and none of them is worth a message.
        if (fd.failure().number != EACCES) return fd.failure();
        listing_.Clear();
      } else if (MaybeFailure failure = listing_.Read(fd.value())) {
        return *failure;
      }
      listedFolder_ = folder;
      listingValid_ = true;
      listingUses_ = 1;
    }
    namePattern_ = pattern.substr(folder.size());
    mask_ = mask;
    next_ = 0;
    started_ = true;
    return Advance();
  }

  Result<PathString> EnumNext() override {
    if (!started_) return ErrnoFailure(EBADF);
    return Advance();
  }

  Result<Attributes> FileAttributes(const PathString& path, Attributes wanted) override {
    if (path.empty()) return ErrnoFailure(ENOENT);
    if ((wanted & AttrReadOnly) == 0 && IsLastHanded(path)) {
      const EntryKind kind = listing_.Kind(lastHanded_);
      if (kind != EntryKind::kUnknown) {
        return KindAttributes(kind, listing_.Name(lastHanded_), listedFolder_) & wanted;
      }
    }
    // Outside a walk the mount table may be missing or out of date.
    if (chain_.empty()) mounts_.Load();
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    Result<struct stat> st = StatEntry(trimmed);
    if (!st.ok()) return st.failure();
    const size_t slash = trimmed.rfind('/');
    const std::string_view name =
        slash == std::string::npos ? std::string_view(trimmed) : std::string_view(trimmed).substr(slash + 1);
    const std::string folder = slash == std::string::npos ? std::string() : trimmed.substr(0, slash + 1);
    Attributes bits = KindAttributes(KindOfMode(st.value().st_mode), name, folder);
    if ((st.value().st_mode & S_IWUSR) == 0) bits |= AttrReadOnly;
    return bits & wanted;
  }

  Result<int64_t> FileLength(const PathString& path) override {
    if (path.empty()) return ErrnoFailure(ENOENT);
    Result<struct stat> st = StatEntry(path);
    if (!st.ok()) return st.failure();
    return static_cast<int64_t>(st.value().st_size);
  }

  MaybeFailure RemoveFile(const PathString& path) override {
    if (path.empty()) return ErrnoFailure(ENOENT);
    // The folder is reached without following any link, so that a folder on
    // the way that was replaced by a link since the search cannot send the
    // removal somewhere else.
    Result<Located> at = OpenParentWithoutLinks(path);
    if (!at.ok()) return at.failure();
    const int folderFd = at.value().folderFd;
    const std::string& name = at.value().name;
    MaybeFailure failure;
    struct stat st;
    if (fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      failure = ErrnoFailure(errno);
    } else if (S_ISDIR(st.st_mode)) {
      failure = ErrnoFailure(EISDIR);
    } else if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) {
      failure = ErrnoFailure(EACCES);
    } else if (unlinkat(folderFd, name.c_str(), 0) != 0) {
      // Without AT_REMOVEDIR this never removes a folder, even one that took
      // the file's place since the check above; a link goes, not its target.
      failure = ErrnoFailure(errno);
    }
    close(folderFd);
    listingValid_ = false;
    return failure;
  }

  void CloseFolders() override {
    for (const OpenedFolder& open : chain_) close(open.fd);
    chain_.clear();
    listing_.Clear();
    listingValid_ = false;
    lastHanded_ = kNone;
  }

 private:
  struct OpenedFolder {
    std::string path;  // ends in "/"
    int fd;
  };
  // A path split into a folder handle and the name inside it.
  struct Located {
    int folderFd;
    std::string name;
  };
  static constexpr size_t kNone = static_cast<size_t>(-1);

  // Everything but read-only, which only the entry's own mode can tell.
  Attributes KindAttributes(EntryKind kind, std::string_view name, const std::string& folder) const {
    Attributes bits = 0;
    if (IsHiddenName(name)) bits |= AttrHidden;
    if (kind == EntryKind::kSpecial) bits |= AttrSystem;
    if (kind == EntryKind::kFolder) {
      bits |= AttrDirectory;
      if (mounts_.HoldsAny(folder) && mounts_.Contains(folder + std::string(name) + "/")) bits |= AttrSystem;
    }
    return bits;
  }

  // The next entry of the listing that passes the mask and the name pattern.
  Result<PathString> Advance() {
    const bool wantSystemCheck = (mask_ & AttrSystem) == 0 && mounts_.HoldsAny(listedFolder_);
    while (next_ < listing_.size()) {
      const size_t i = next_++;
      const std::string_view name = listing_.Name(i);
      EntryKind kind = listing_.Kind(i);
      Attributes bits = IsHiddenName(name) ? AttrHidden : 0;
      if (kind == EntryKind::kFolder) bits |= AttrDirectory;
      if (kind == EntryKind::kSpecial) bits |= AttrSystem;
      if (kind == EntryKind::kFolder && wantSystemCheck &&
          mounts_.Contains(listedFolder_ + std::string(name) + "/")) {
        bits |= AttrSystem;
      }
      if (!PassesMask(bits, mask_)) continue;
      if (!namePattern_.empty() && !MatchesNamePattern(name, namePattern_)) continue;
      lastHanded_ = i;
      return PathString(name);
    }
    lastHanded_ = kNone;
    return PathString();
  }

  bool IsLastHanded(const std::string& path) const {
    if (!listingValid_ || lastHanded_ == kNone) return false;
    const std::string_view name = listing_.Name(lastHanded_);
    return path.size() == listedFolder_.size() + name.size() && StartsWith(path, listedFolder_) &&
           std::string_view(path).substr(listedFolder_.size()) == name;
  }

  // Opens `folder` (a path ending in "/", or empty for the working folder),
  // reusing the chain of folders already open where it leads there.
  Result<int> OpenFolder(const std::string& folder) {
    while (!chain_.empty() && !IsWithin(folder, chain_.back().path)) {
      close(chain_.back().fd);
      chain_.pop_back();
    }
    if (chain_.empty()) {
      // A new walk starts here: mounts may have changed since the last one.
      mounts_.Load();
      const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd < 0) return ErrnoFailure(errno);
      Push(folder, fd);
      return fd;
    }
    size_t pos = chain_.back().path.size();
    while (pos < folder.size()) {
      const size_t slash = folder.find('/', pos);
      const std::string component = folder.substr(pos, slash - pos);
      pos = slash + 1;
      if (component.empty()) continue;
      const int fd = openat(chain_.back().fd, component.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (fd < 0) return ErrnoFailure(errno);
      Push(folder.substr(0, pos), fd);
    }
    return chain_.back().fd;
  }

  void Push(std::string path, int fd) {
    if (chain_.size() == kMostOpenFolders) {
      close(chain_.front().fd);
      chain_.erase(chain_.begin());
    }
    chain_.push_back({std::move(path), fd});
  }

  // Entries of the innermost open folder are reached through its handle;
  // anything else by its path.
  Located Locate(const std::string& path) const {
    if (!chain_.empty()) {
      const OpenedFolder& inner = chain_.back();
      if (path.size() > inner.path.size() && StartsWith(path, inner.path) &&
          path.find('/', inner.path.size()) == std::string::npos) {
        return {inner.fd, path.substr(inner.path.size())};
      }
    }
    return {AT_FDCWD, path};
  }

  // Opens the folder that holds `path` one component at a time, refusing to
  // pass through a link, and splits off the entry's name.
  static Result<Located> OpenParentWithoutLinks(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    const std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") return ErrnoFailure(EISDIR);
    int fd = open(!trimmed.empty() && trimmed[0] == '/' ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return ErrnoFailure(errno);
    size_t pos = 0;
    while (slash != std::string::npos && pos < slash) {
      const size_t end = trimmed.find('/', pos);
      const std::string component = trimmed.substr(pos, end - pos);
      pos = end + 1;
      if (component.empty()) continue;
      const int inner = openat(fd, component.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      const int err = errno;
      close(fd);
      if (inner < 0) return ErrnoFailure(err);
      fd = inner;
    }
    return Located{fd, name};
  }

  Result<struct stat> StatEntry(const std::string& path) const {
    const Located at = Locate(path);
    struct stat st;
    if (fstatat(at.folderFd, at.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return ErrnoFailure(errno);
    return st;
  }

  SystemMounts mounts_;
  std::vector<OpenedFolder> chain_;

  FolderListing listing_;
  std::string listedFolder_;
  bool listingValid_ = false;
  int listingUses_ = 0;

  // The enumeration cursor.
  bool started_ = false;
  std::string namePattern_;
  Attributes mask_ = 0;
  size_t next_ = 0;
  size_t lastHanded_ = kNone;
};

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() { return std::make_unique<PosixFileSystem>(); }

PathString LocalDiskRoot() { return "/"; }

}  // namespace dustvane
