#include "search/posix/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#ifdef __linux__
#include <sys/syscall.h>
#endif

#include "search/posix/errno_failure.h"

namespace dustvane {

namespace {

EntryKind KindOfDirentType(unsigned char type) {
  switch (type) {
    case DT_REG: return EntryKind::kFile;
    case DT_DIR: return EntryKind::kFolder;
    case DT_LNK: return EntryKind::kLink;
    case DT_UNKNOWN: return EntryKind::kUnknown;
    default: return EntryKind::kSpecial;
  }
}

}  // namespace

EntryKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::kFile;
  if (S_ISDIR(mode)) return EntryKind::kFolder;
  if (S_ISLNK(mode)) return EntryKind::kLink;
  return EntryKind::kSpecial;
}

void FolderListing::Clear() {
  entries_.clear();
  names_.clear();
}

void FolderListing::MoveEntriesTo(FolderListing& to) {
  to.entries_ = std::move(entries_);
  to.names_ = std::move(names_);
  Clear();
}

FolderListing FolderListing::TightCopy() const {
  FolderListing copy;
  copy.entries_.reserve(entries_.size());
  copy.entries_.assign(entries_.begin(), entries_.end());
  copy.names_.reserve(names_.size());
  copy.names_.assign(names_);
  return copy;
}

void FolderListing::Add(int fd, std::string_view name, unsigned char type) {
  EntryKind kind = KindOfDirentType(type);
  if (kind == EntryKind::kUnknown) {
    // Some file systems do not say; ask the entry itself. If it has gone, it
    // stays unknown and a later query of it reports the failure.
    struct stat st;
    if (fstatat(fd, std::string(name).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) kind = KindOfMode(st.st_mode);
  }
  entries_.push_back({static_cast<uint32_t>(names_.size()), static_cast<uint32_t>(name.size()), kind});
  names_.append(name);
}

#ifdef __linux__

// getdents64 straight into our own buffer: the listing costs one system call
// per buffer-full and no allocation per entry.
struct LinuxDirent64 {
  ino64_t d_ino;
  off64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[];
};

MaybeFailure FolderListing::Read(int fd, bool openedNow) {
  Clear();
  if (!openedNow && lseek(fd, 0, SEEK_SET) < 0) return ErrnoFailure(errno);
  constexpr size_t kBufferSize = 64 * 1024;
  if (!buffer_) buffer_.reset(new char[kBufferSize]);
  while (true) {
    const long got = syscall(SYS_getdents64, fd, buffer_.get(), kBufferSize);
    if (got < 0) {
      if (errno == EINTR) continue;
      return ErrnoFailure(errno);
    }
    if (got == 0) return std::nullopt;
    for (long pos = 0; pos < got;) {
      const auto* d = reinterpret_cast<const LinuxDirent64*>(buffer_.get() + pos);
      Add(fd, d->d_name, d->d_type);
      pos += d->d_reclen;
    }
  }
}

#else

MaybeFailure FolderListing::Read(int fd, bool /*openedNow*/) {
  Clear();
  const int copy = dup(fd);
  if (copy < 0) return ErrnoFailure(errno);
  DIR* dir = fdopendir(copy);
  if (dir == nullptr) {
    const int err = errno;
    close(copy);
    return ErrnoFailure(err);
  }
  rewinddir(dir);
  MaybeFailure failure;
  while (true) {
    errno = 0;
    const dirent* d = readdir(dir);
    if (d == nullptr) {
      if (errno != 0) failure = ErrnoFailure(errno);
      break;
    }
    Add(fd, d->d_name, d->d_type);
  }
  closedir(dir);
  return failure;
}

#endif

}  // namespace dustvane
