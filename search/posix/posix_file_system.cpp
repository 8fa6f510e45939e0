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
// masks and the directory question without a stat per entry, and the second
// enumeration of the same folder (files after folders) is served from the
// same listing. Folders are reached through the chain of open folders
// (folder_chain.h); the mount table is read once, when a walk starts.
//
// When the walk's own reads wait on the disk, helper threads read the folders
// it will come to next (folder_read_ahead.h); the walk takes a helper's
// listing of a folder only when it is of the very folder the walk has open.

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
#include "search/posix/posix_file_system.h"

namespace dustvane {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

class PosixFileSystem final : public FileSystem {
 public:
  PosixFileSystem(ReadAheadMode readAhead, unsigned threads) : readAhead_(budget_, readAhead, threads) {}
  ~PosixFileSystem() override { CloseFolders(); }

  Result<PathString> EnumFirst(const PathString& pattern, Attributes mask) override {
    started_ = false;
    const size_t slash = pattern.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);

    // The listing just read serves one more enumeration of the same folder
    // (the files after the folders); any later one reads the folder afresh.
    if (listingValid_ && folder == listedFolder_ && listingUses_ < 2) {
      ++listingUses_;
    } else {
      listingValid_ = false;
      lastHanded_ = kNone;
      // The helpers of a walk stop before the chain starts another.
      if (!readAhead_.Covers(folder)) readAhead_.Stop();
      bool newWalk = false;
      Result<int> fd = chain_.Open(folder, &newWalk);
      if (newWalk) mounts_ = MountMap(ReadMountTable());
      absoluteFolder_ = chain_.AbsolutePath(folder);
      if (!fd.ok()) {
        // A folder we may not read is an empty one: a whole-disk search by an
        // ordinary user meets many, and none of them is worth a message.
        if (fd.failure().number != EACCES) return fd.failure();
        listing_.Clear();
      } else {
        if (newWalk) readAhead_.Start(folder, fd.value(), absoluteFolder_, mounts_);
        if (!readAhead_.Reached(folder, fd.value(), listing_)) {
          if (MaybeFailure failure = listing_.Read(fd.value(), chain_.InnermostOpenedNow())) return *failure;
        }
      }
      listedFolder_ = folder;
      listingHoldsMounts_ = fd.ok() && mounts_.HoldsAny(absoluteFolder_);
      listingValid_ = true;
      listingUses_ = 1;
    }
    namePattern_ = pattern.substr(folder.size());
    // The file pass's pattern: the helpers look at the matches ahead too, so
    // that the walk's query of their lengths finds them in the cache.
    if ((mask & AttrDirectory) == 0 && !namePattern_.empty()) readAhead_.LookForFiles(namePattern_);
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
    // Whether a folder is closed to the walk only shows in the system bit,
    // and costs a mount lookup (and at a mount point a stat) to tell.
    const bool wantsClosed = (wanted & AttrSystem) != 0;
    if ((wanted & AttrReadOnly) == 0 && IsLastHanded(path)) {
      const EntryKind kind = listing_.Kind(lastHanded_);
      if (kind != EntryKind::kUnknown) {
        const std::string_view name = listing_.Name(lastHanded_);
        const bool closed = wantsClosed && kind == EntryKind::kFolder && IsClosedInListing(name);
        return KindAttributes(kind, name, closed) & wanted;
      }
    }
    // Outside a walk the mount table may be missing or out of date.
    if (wantsClosed && !chain_.IsOpen()) mounts_ = MountMap(ReadMountTable());
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    Result<struct stat> st = StatEntry(trimmed);
    if (!st.ok()) return st.failure();
    const size_t slash = trimmed.rfind('/');
    const std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    const std::string folder = slash == std::string::npos ? std::string() : trimmed.substr(0, slash + 1);
    bool closed = false;
    if (wantsClosed && S_ISDIR(st.value().st_mode)) {
      closed = chain_.IsOpen() && folder == chain_.Path()
                   ? dustvane::IsClosedFolder(mounts_, chain_, chain_.AbsolutePath(folder), name)
                   : mounts_.At(chain_.AbsolutePath(folder) + name + "/") == MountAt::kSystem;
    }
    return ModeAttributes(st.value().st_mode, name, closed) & wanted;
  }

  Result<int64_t> FileLength(const PathString& path) override {
    if (path.empty()) return ErrnoFailure(ENOENT);
    Result<struct stat> st = StatEntry(path);
    if (!st.ok()) return st.failure();
    return static_cast<int64_t>(st.value().st_size);
  }

  MaybeFailure RemoveFile(const PathString& path) override {
    listingValid_ = false;
    return RemoveFileWithoutLinks(path);
  }

  void CloseFolders() override {
    readAhead_.Stop();
    chain_.Close();
    listing_.Clear();
    listingValid_ = false;
    lastHanded_ = kNone;
  }

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);

  // Whether the walk never enters the folder `name` in the listed folder.
  bool IsClosedInListing(std::string_view name) {
    return listingHoldsMounts_ && dustvane::IsClosedFolder(mounts_, chain_, absoluteFolder_, name);
  }

  // The next entry of the listing that passes the mask and the name pattern.
  Result<PathString> Advance() {
    const bool wantClosedCheck = (mask_ & AttrSystem) == 0;
    while (next_ < listing_.size()) {
      const size_t i = next_++;
      const std::string_view name = listing_.Name(i);
      const EntryKind kind = listing_.Kind(i);
      const bool closed = kind == EntryKind::kFolder && wantClosedCheck && IsClosedInListing(name);
      if (!PassesMask(KindAttributes(kind, name, closed), mask_)) continue;
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

  DescriptorBudget budget_;
  FolderChain chain_{budget_};
  MountMap mounts_;
  // After what it uses, so that it stops before they go.
  FolderReadAhead readAhead_;

  FolderListing listing_;
  std::string listedFolder_;
  std::string absoluteFolder_;  // the listed folder as the mount table writes it
  bool listingHoldsMounts_ = false;  // some mount shows directly inside it
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

std::unique_ptr<FileSystem> MakePosixFileSystem(ReadAheadMode readAhead, unsigned threads) {
  return std::make_unique<PosixFileSystem>(readAhead, threads);
}

std::unique_ptr<FileSystem> MakeNativeFileSystem() { return MakePosixFileSystem(ReadAheadMode::kWhenCold); }

PathString LocalDiskRoot() { return "/"; }

}  // namespace dustvane
