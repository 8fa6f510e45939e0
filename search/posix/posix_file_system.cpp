// The file-system queries on POSIX systems.
//
// How the program's notions map onto POSIX:
// - "/" separates folders; folder paths end in "/"; the local disk is "/".
// - Names are bytes, passed on as the file system gave them.
// - Attributes are as entry_attributes.h describes.
// - Failures carry errno and the system's text for it.
//
// The walk's cost is dominated by system calls, so a folder is listed once
// with getdents; the entry kinds the listing reports answer the enumeration
// masks and the directory question without a stat per entry, and the file
// pass of a folder is served from its directory pass's listing, as the
// search's call pattern (file_system.h) allows. Folders are reached through
// the walk's chain of open folders (folder_chain.h), which is the one record
// of where the walk is. The folders it listed matches in, and those above
// them, stay noted after the walk (walked_folders.h): Delete removes a file
// only through those very folders (file_removal.h).
//
// When the walk's own reads wait on the disk, helper threads read the folders
// it will come to next (folder_read_ahead.h); the walk takes a helper's
// listing of a folder only when it is provably the folder's current content.

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string_view>

#include "search/file_system.h"
#include "search/name_pattern.h"
#include "search/posix/closed_folder.h"
#include "search/posix/descriptor_budget.h"
#include "search/posix/entry_attributes.h"
#include "search/posix/entry_path.h"
#include "search/posix/errno_failure.h"
#include "search/posix/file_removal.h"
#include "search/posix/folder_chain.h"
#include "search/posix/folder_listing.h"
#include "search/posix/folder_read_ahead.h"
#include "search/posix/mount_map.h"
#include "search/posix/mount_table.h"
#include "search/posix/posix_file_system.h"
#include "search/posix/walked_folders.h"

namespace dustvane {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// The two passes the search makes over each folder (file_system.h).
enum class Pass { kFolders, kFiles };

// The folder whose listing the enumeration hands out, and how far the
// search has come with it.
struct ListedFolder {
  std::string path;
  bool valid = false;
  Pass pass = Pass::kFolders;
  bool ranToEnd = false;
  bool noted = false;  // the folders on its way are in the walk's record
};

class PosixFileSystem final : public FileSystem {
 public:
  PosixFileSystem(ReadAheadMode readAhead, unsigned threads)
      : budget_(std::make_shared<DescriptorBudget>()), chain_(*budget_), readAhead_(budget_, readAhead, threads) {}
  ~PosixFileSystem() override { CloseFolders(); }

  Result<PathString> EnumFirst(const PathString& pattern, Attributes mask) override {
    started_ = false;
    const size_t slash = pattern.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);
    const Pass pass = (mask & AttrDirectory) != 0 ? Pass::kFolders : Pass::kFiles;
    // The file pass is served from the directory pass's listing; every other
    // enumeration reads the folder afresh.
    if (!(pass == Pass::kFiles && listed_.valid && listed_.pass == Pass::kFolders && listed_.path == folder)) {
      NoteLeaving();
      if (MaybeFailure failure = List(folder)) return *failure;
    }
    listed_.pass = pass;
    listed_.ranToEnd = false;
    namePattern_ = pattern.substr(folder.size());
    // The helpers look at the file pass's matches ahead too, so that the
    // walk's query of their lengths finds them in the cache.
    if (pass == Pass::kFiles && !namePattern_.empty()) readAhead_.LookForFiles(namePattern_);
    mask_ = mask;
    next_ = FolderListing::Place();
    lastHanded_.reset();
    started_ = true;
    return Advance();
  }

  Result<PathString> EnumNext() override {
    if (!started_) return ErrnoFailure(EBADF);
    return Advance();
  }

  Result<Attributes> FileAttributes(const PathString& path, Attributes wanted) override {
    if (path.empty()) return ErrnoFailure(ENOENT);
    // Whether a folder is closed to the walk only shows in the system bit,
    // and costs a mount lookup (and at a mount point a stat) to tell.
    const bool wantsClosed = (wanted & AttrSystem) != 0;
    if ((wanted & AttrReadOnly) == 0 && IsLastHanded(path)) {
      const FolderListing::Entry entry = chain_.Listing().At(*lastHanded_);
      if (entry.kind != EntryKind::kUnknown) {
        const bool closed = wantsClosed && entry.kind == EntryKind::kFolder && IsClosedInListing(entry.name);
        return KindAttributes(entry.kind, entry.name, closed) & wanted;
      }
    }
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    Result<struct stat> st = StatEntry(trimmed);
    if (!st.ok()) return st.failure();
    const size_t slash = trimmed.rfind('/');
    const std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    const std::string folder = slash == std::string::npos ? std::string() : trimmed.substr(0, slash + 1);
    const bool closed = wantsClosed && S_ISDIR(st.value().st_mode) && IsClosedAt(folder, name);
    return ModeAttributes(st.value().st_mode, name, closed) & wanted;
  }

  Result<int64_t> FileLength(const PathString& path) override {
    if (path.empty()) return ErrnoFailure(ENOENT);
    Result<struct stat> st = StatEntry(path);
    if (!st.ok()) return st.failure();
    return static_cast<int64_t>(st.value().st_size);
  }

  MaybeFailure RemoveFile(const PathString& path) override {
    listed_.valid = false;
    return RemoveWalkedFile(walked_, path);
  }

  void CloseFolders() override {
    readAhead_.Stop();
    chain_.Close();
    listed_ = ListedFolder();
    lastHanded_.reset();
  }

 private:
  // Lists `folder` into the chain's listing, through the chain.
  MaybeFailure List(const std::string& folder) {
    listed_ = ListedFolder{folder};
    lastHanded_.reset();
    FolderListing& listing = chain_.Listing();
    listing.Clear();
    Result<FolderChain::Step> step = chain_.Open(folder);
    if (step.ok() ? step.value().startsWalk : !chain_.IsOpen()) walked_.Begin(folder);
    if (step.ok() && step.value().startsWalk) readAhead_.Start(chain_);
    absoluteFolder_ = chain_.AbsolutePath(folder);
    listingHoldsMounts_ = false;
    if (!step.ok()) {
      // A folder we may not read is an empty one: a whole-disk search by an
      // ordinary user meets many, and none of them is worth a message.
      if (step.failure().number != EACCES) {
        NoteFailedToOpen(folder);
        return step.failure();
      }
    } else if (!step.value().closed) {
      // (A closed one showed a system file system or a loop only on being
      // opened: the mounts changed during the walk. There is nothing in it
      // to search.)
      const bool taken = step.value().openedNow && readAhead_.Reached(chain_, listing);
      if (!taken) {
        if (MaybeFailure failure = reader_.Read(step.value().fd, step.value().openedNow, listing)) return failure;
        readAhead_.WalkListed(listing.size());
      }
      listingHoldsMounts_ = chain_.Mounts()->HoldsAny(absoluteFolder_);
    }
    listed_.valid = true;
    return std::nullopt;
  }

  // The search is about to leave the folder it listed last. Where it leaves
  // it early, the helpers learn that it goes no deeper there (file_system.h):
  // a file pass cut short or never begun means none of its sub-folders will
  // be searched; a directory pass cut short means the folder count is full
  // and the search descends nowhere any more.
  void NoteLeaving() {
    if (!listed_.valid || !chain_.IsOpen() || listed_.path != chain_.Path()) return;
    if (listed_.pass == Pass::kFiles && listed_.ranToEnd) return;
    if (listed_.pass == Pass::kFolders && !listed_.ranToEnd) {
      readAhead_.Stop();
    } else if (chain_.Depth() > 1) {
      readAhead_.SkipBelow(chain_, chain_.Depth() - 2, chain_.Name(chain_.Depth() - 1));
    }
  }

  // A sub-folder of the innermost folder that the walk could not open: it
  // searches nothing below it.
  void NoteFailedToOpen(const std::string& folder) {
    if (!chain_.IsOpen() || !StartsWith(folder, chain_.Path())) return;
    const std::string_view name = std::string_view(folder).substr(chain_.Path().size());
    if (!name.empty() && name.find('/') == name.size() - 1) {
      readAhead_.SkipBelow(chain_, chain_.Depth() - 1, name.substr(0, name.size() - 1));
    }
  }

  // Whether the walk never enters the folder `name` in the listed folder.
  bool IsClosedInListing(std::string_view name) {
    return listingHoldsMounts_ && IsClosedFolder(*chain_.Mounts(), chain_, absoluteFolder_, name);
  }

  // The same for the folder `name` in `folder`, outside the listing.
  bool IsClosedAt(const std::string& folder, const std::string& name) {
    if (chain_.IsOpen() && folder == chain_.Path()) {
      return IsClosedFolder(*chain_.Mounts(), chain_, chain_.AbsolutePath(folder), name);
    }
    // Outside a walk the mount table is read afresh.
    if (!chain_.IsOpen()) outsideMounts_ = MountMap(ReadMountTable());
    const MountMap& mounts = chain_.IsOpen() ? *chain_.Mounts() : outsideMounts_;
    return mounts.At(chain_.AbsolutePath(folder) + name + "/") == MountAt::kSystem;
  }

  // The next entry of the listing that passes the mask and the name pattern.
  Result<PathString> Advance() {
    const bool wantClosedCheck = (mask_ & AttrSystem) == 0;
    const FolderListing& listing = chain_.Listing();
    FolderListing::Entry entry;
    while (listing.Next(next_, entry)) {
      const bool closed = entry.kind == EntryKind::kFolder && wantClosedCheck && IsClosedInListing(entry.name);
      const bool passes = PassesMask(KindAttributes(entry.kind, entry.name, closed), mask_) &&
                          (namePattern_.empty() || MatchesNamePattern(entry.name, namePattern_));
      if (passes) {
        if (listed_.pass == Pass::kFiles && !listed_.noted) NoteListedFolder();
        lastHanded_ = entry.place;
        return PathString(entry.name);
      }
    }
    lastHanded_.reset();
    listed_.ranToEnd = true;
    return PathString();
  }

  // The file pass hands out its first match, a line Delete may come to: the
  // folders on its way go into the walk's record, with the marks the chain
  // read from its own descriptors.
  void NoteListedFolder() {
    listed_.noted = true;
    if (!chain_.IsOpen() || chain_.Path() != listed_.path) return;
    walked_.Note(listed_.path, [this](size_t level) -> std::optional<FolderMark> {
      const FolderRecord* record = level < chain_.Depth() ? chain_.Record(level) : nullptr;
      if (record == nullptr) return std::nullopt;
      return MarkOf(*record);
    });
  }

  bool IsLastHanded(const std::string& path) const {
    if (!listed_.valid || !lastHanded_) return false;
    const std::string_view name = chain_.Listing().At(*lastHanded_).name;
    return path.size() == listed_.path.size() + name.size() && StartsWith(path, listed_.path) &&
           std::string_view(path).substr(listed_.path.size()) == name;
  }

  // Entries of the innermost open folder are asked through its descriptor;
  // anything else through a component walk that follows no link.
  Result<struct stat> StatEntry(const std::string& path) const {
    struct stat st;
    if (chain_.IsOpen()) {
      const std::string& inner = chain_.Path();
      if (path.size() > inner.size() && StartsWith(path, inner) && path.find('/', inner.size()) == std::string::npos) {
        if (fstatat(chain_.InnermostFd(), path.c_str() + inner.size(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
          return ErrnoFailure(errno);
        }
        return st;
      }
    }
    Result<EntryInFolder> at = OpenHoldingFolder(path);
    if (!at.ok()) return at.failure();
    if (fstatat(at.value().FolderFd(), at.value().Name().c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      return ErrnoFailure(errno);
    }
    return st;
  }

  std::shared_ptr<DescriptorBudget> budget_;
  FolderChain chain_;
  // After the chain, so that it stops before the chain goes.
  FolderReadAhead readAhead_;
  FolderReader reader_;
  // What Delete proves a line's folders against; it outlives the walk.
  WalkedFolders walked_;

  MountMap outsideMounts_;
  ListedFolder listed_;
  std::string absoluteFolder_;       // the listed folder as the mount table writes it
  bool listingHoldsMounts_ = false;  // some mount shows directly inside it

  // The enumeration cursor.
  bool started_ = false;
  std::string namePattern_;
  Attributes mask_ = 0;
  FolderListing::Place next_;
  std::optional<FolderListing::Place> lastHanded_;
};

}  // namespace

std::unique_ptr<FileSystem> MakePosixFileSystem(ReadAheadMode readAhead, unsigned threads) {
  return std::make_unique<PosixFileSystem>(readAhead, threads);
}

std::unique_ptr<FileSystem> MakeNativeFileSystem() { return MakePosixFileSystem(ReadAheadMode::kWhenCold); }

PathString LocalDiskRoot() { return "/"; }

}  // namespace dustvane
