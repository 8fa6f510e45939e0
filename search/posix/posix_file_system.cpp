// The file-system queries on POSIX systems. "/" separates folders, folder
// paths end in it, and the local disk is "/"; names are the file system's
// bytes; failures carry errno and the system's text. Attributes: directory
// for a directory (a link never is one); hidden when the name begins with
// "."; read-only when the owner's write bit is clear; system for what is
// neither a regular file, a directory nor a link, and for a folder the walk
// never enters (a system file system shows there, or it is one the walk is
// already inside).
//
// A folder is listed once, with getdents: the entry kinds answer the masks and
// the directory question without a stat per entry, and the file pass is served
// from the directory pass's listing, as the search's calls allow
// (file_system.h). Folders are reached through the walk's nodes (folder_walk.h),
// which helpers read ahead for; Delete removes a file only through the very
// folders the walk noted on its way (search/walked_folders.h, file_removal.h).

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string_view>

#include "search/enumeration_cursor.h"
#include "search/posix/errno_failure.h"
#include "search/posix/descriptor.h"
#include "search/posix/file_removal.h"
#include "search/posix/folder_opener.h"
#include "search/posix/folder_walk.h"
#include "search/posix/posix_file_system.h"

namespace dustvane {

namespace {

// The attribute bits but read-only, which only the entry's own mode tells.
Attributes KindAttributes(EntryKind kind, std::string_view name, bool closedFolder) {
  Attributes bits = 0;
  if (!name.empty() && name[0] == '.') bits |= AttrHidden;
  if (kind == EntryKind::kSpecial) bits |= AttrSystem;
  if (kind == EntryKind::kFolder) bits |= AttrDirectory | (closedFolder ? AttrSystem : 0);
  return bits;
}

// All four, from the entry's mode as lstat reports it.
Attributes ModeAttributes(mode_t mode, std::string_view name, bool closedFolder) {
  return KindAttributes(KindOfMode(mode), name, closedFolder) | ((mode & S_IWUSR) == 0 ? AttrReadOnly : 0);
}

// The entry at `path`, asked without following any link on the way: it is
// reached one component at a time from "/" (or from the working folder for a
// relative path), which works for paths of any length.
Result<struct stat> StatWithoutLinks(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const size_t slash = trimmed.rfind('/');
  const std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return ErrnoFailure(EISDIR);
  Result<int> opened = OpenFolderAtPath(!trimmed.empty() && trimmed[0] == '/' ? "/" : "");
  if (!opened.ok()) return opened.failure();
  Descriptor folder(opened.value());
  for (size_t pos = 0, end; slash != std::string::npos && pos < slash; pos = end + 1) {
    end = trimmed.find('/', pos);
    if (end == pos) continue;
    Result<int> inner = OpenSubFolder(folder.get(), trimmed.substr(pos, end - pos));
    if (!inner.ok()) return inner.failure();
    folder.reset(inner.value());
  }
  struct stat st;
  if (fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return ErrnoFailure(errno);
  return st;
}

// The two passes the search makes over each folder (file_system.h).
enum class Pass { kFolders, kFiles };

class PosixFileSystem final : public FileSystem {
 public:
  PosixFileSystem(ReadAheadMode readAhead, unsigned coldHelpers) : walk_(readAhead, coldHelpers) {}
  ~PosixFileSystem() override { CloseFolders(); }

  Result<PathString> EnumFirst(const PathString& pattern, Attributes mask) override {
    cursor_.Stop();
    const size_t slash = pattern.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);
    const Pass pass = (mask & AttrDirectory) != 0 ? Pass::kFolders : Pass::kFiles;
    // The file pass is served from the directory pass's listing; every other
    // enumeration reads the folder afresh. A directory pass cut short means
    // the walk descends no more (file_system.h).
    if (!(pass == Pass::kFiles && listing_ != nullptr && pass_ == Pass::kFolders && cursor_.Folder() == folder)) {
      if (listing_ != nullptr && pass_ == Pass::kFolders && !ranToEnd_) walk_.DescendsNoMore();
      if (MaybeFailure failure = List(folder)) return *failure;
    }
    pass_ = pass;
    ranToEnd_ = false;
    noted_ = false;
    cursor_.Start(folder, pattern.substr(folder.size()), mask);
    if (pass == Pass::kFiles) walk_.LookForFiles(cursor_.NamePattern());
    next_ = FolderListing::Place();
    lastHanded_.reset();
    return Advance();
  }

  Result<PathString> EnumNext() override {
    if (!cursor_.Started()) return ErrnoFailure(EBADF);
    return Advance();
  }

  Result<Attributes> FileAttributes(const PathString& path, Attributes wanted) override {
    if (path.empty()) return ErrnoFailure(ENOENT);
    // Whether a folder is closed to the walk only shows in the system bit,
    // and costs a mount lookup (and at a mount point a stat) to tell.
    const bool wantsClosed = (wanted & AttrSystem) != 0;
    if ((wanted & AttrReadOnly) == 0 && IsLastHanded(path)) {
      const FolderListing::Entry entry = listing_->At(*lastHanded_);
      if (entry.kind != EntryKind::kUnknown) {
        const bool closed = wantsClosed && entry.kind == EntryKind::kFolder && IsClosedInListing(entry.name);
        return KindAttributes(entry.kind, entry.name, closed) & wanted;
      }
    }
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const WalkPlace place = walk_.Locate(trimmed);
    Result<struct stat> st = StatEntry(trimmed, place);
    if (!st.ok()) return st.failure();
    const bool closed = wantsClosed && S_ISDIR(st.value().st_mode) && walk_.IsClosedAt(trimmed, place);
    return ModeAttributes(st.value().st_mode, place.leaf, closed) & wanted;
  }

  Result<int64_t> FileLength(const PathString& path) override {
    if (path.empty()) return ErrnoFailure(ENOENT);
    Result<struct stat> st = StatEntry(path, walk_.Locate(path));
    if (!st.ok()) return st.failure();
    return static_cast<int64_t>(st.value().st_size);
  }

  MaybeFailure RemoveFile(const PathString& path) override {
    // The listing goes, and the enumeration with it.
    listing_ = nullptr;
    cursor_.Stop();
    return RemoveWalkedFile(walk_.Walked(), path);
  }

  void CloseFolders() override {
    walk_.Close();
    listing_ = nullptr;
    inWalk_ = false;
    lastHanded_.reset();
    cursor_.Stop();
  }

 private:
  // Lists `folder` through the walk. A folder we may not read is an empty
  // one: a whole-disk search by an ordinary user meets many, and none of them
  // is worth a message.
  MaybeFailure List(const std::string& folder) {
    static const FolderListing kNothing;
    listing_ = nullptr;
    lastHanded_.reset();
    cursor_.Forget();
    Result<const FolderListing*> listed = walk_.List(folder);
    if (!listed.ok() && listed.failure().number != EACCES) return listed.failure();
    listing_ = listed.ok() ? listed.value() : &kNothing;
    inWalk_ = listed.ok() && walk_.Locate(folder).InInnermost(walk_.Depth());
    return std::nullopt;
  }

  // Whether the walk never enters the folder `name` in the listing.
  bool IsClosedInListing(std::string_view name) { return inWalk_ && walk_.IsClosed(name); }

  // The next entry of the listing that passes the mask and the name pattern.
  Result<PathString> Advance() {
    const bool wantClosedCheck = (cursor_.Mask() & AttrSystem) == 0;
    FolderListing::Entry entry;
    while (listing_->Next(next_, entry)) {
      const bool closed = entry.kind == EntryKind::kFolder && wantClosedCheck && IsClosedInListing(entry.name);
      if (cursor_.Passes(entry.name, KindAttributes(entry.kind, entry.name, closed))) {
        // The file pass hands out a line Delete may come to: it goes into
        // the walk's record, and the folders on its way before it.
        if (pass_ == Pass::kFiles && inWalk_) {
          if (!noted_) walk_.NoteWay();
          walk_.NoteFile(entry.name);
        }
        noted_ = pass_ == Pass::kFiles;
        lastHanded_ = entry.place;
        cursor_.Hand(entry.name);
        return PathString(entry.name);
      }
    }
    lastHanded_.reset();
    cursor_.Forget();
    ranToEnd_ = true;
    return PathString();
  }

  bool IsLastHanded(const std::string& path) const {
    return listing_ != nullptr && lastHanded_ && cursor_.IsLastHanded(path);
  }

  // Entries of the innermost open folder are asked through its descriptor;
  // anything else through a component walk that follows no link. `place`
  // is where `path` lies in the walk, and its leaf ends where `path` does.
  Result<struct stat> StatEntry(const std::string& path, const WalkPlace& place) const {
    if (place.leaf.empty() || !place.InInnermost(walk_.Depth())) return StatWithoutLinks(path);
    struct stat st;
    if (fstatat(walk_.InnermostFd(), place.leaf.data(), &st, AT_SYMLINK_NOFOLLOW) != 0) return ErrnoFailure(errno);
    return st;
  }

  FolderWalk walk_;

  // The enumeration cursor (of the folder listed), and what it hands out
  // from: the listing (null when none), which pass, how far, where the entry
  // handed out last lies, and whether the folders on the way to it are in
  // Delete's record.
  EnumerationCursor cursor_;
  const FolderListing* listing_ = nullptr;
  bool inWalk_ = false;  // the listing is that of the walk's innermost folder
  Pass pass_ = Pass::kFolders;
  bool ranToEnd_ = false;
  bool noted_ = false;
  FolderListing::Place next_;
  std::optional<FolderListing::Place> lastHanded_;
};

}  // namespace

std::unique_ptr<FileSystem> MakePosixFileSystem(ReadAheadMode readAhead, unsigned coldHelpers) {
  return std::make_unique<PosixFileSystem>(readAhead, coldHelpers);
}

std::unique_ptr<FileSystem> MakeNativeFileSystem() { return MakePosixFileSystem(ReadAheadMode::kWhenCold); }

PathString LocalDiskRoot() { return "/"; }

}  // namespace dustvane
