#include "search/posix/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "search/posix/errno_failure.h"

namespace dustvane {

namespace {

// An entry is its kind, its name's length in two bytes (FUSE names may be
// longer than 255 bytes) and the name.
constexpr size_t kEntryHead = 3;
// Blocks start small, for the many small folders, and grow to this.
constexpr size_t kFirstBlock = 1 << 10;
constexpr size_t kLargestBlock = 1 << 20;

// Some file systems do not tell the kind; the entry itself is asked. If it
// has gone, it stays unknown and a later query of it reports the failure.
EntryKind KindOf(int fd, const char* name, unsigned char type) {
  switch (type) {
    case DT_REG: return EntryKind::kFile;
    case DT_DIR: return EntryKind::kFolder;
    case DT_LNK: return EntryKind::kLink;
    case DT_UNKNOWN: break;
    default: return EntryKind::kSpecial;
  }
  struct stat st;
  return fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 ? KindOfMode(st.st_mode) : EntryKind::kUnknown;
}

}  // namespace

EntryKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::kFile;
  if (S_ISDIR(mode)) return EntryKind::kFolder;
  if (S_ISLNK(mode)) return EntryKind::kLink;
  return EntryKind::kSpecial;
}

void FolderListing::KeepSubFoldersFrom(Place& place) {
  if (subFoldersOnly_ && (blocks_.empty() || place.offset * size_t{2} < blocks_[0].used)) return;
  const auto isSubFolder = [](const Entry& e) { return e.kind == EntryKind::kFolder && e.name != "." && e.name != ".."; };
  size_t bytes = 0;
  Entry entry;
  for (Place at = place; Next(at, entry);) bytes += isSubFolder(entry) ? kEntryHead + entry.name.size() : 0;
  FolderListing kept;
  if (bytes > 0) kept.blocks_.push_back({std::unique_ptr<char[]>(new char[bytes]), bytes, 0});
  while (Next(place, entry)) {
    if (isSubFolder(entry)) kept.Add(entry.name, entry.kind);
  }
  kept.subFoldersOnly_ = true;
  *this = std::move(kept);
  place = Place();
}

void FolderListing::AddBlock(size_t atLeast) {
  const size_t grown = blocks_.empty() ? kFirstBlock : std::min(blocks_.back().capacity * 2, kLargestBlock);
  Block block;
  block.capacity = std::max(grown, atLeast);
  block.data.reset(new char[block.capacity]);
  blocks_.push_back(std::move(block));
}

void FolderListing::Add(std::string_view name, EntryKind kind) {
  const size_t size = kEntryHead + name.size();
  if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < size) AddBlock(size);
  Block& block = blocks_.back();
  char* at = block.data.get() + block.used;
  at[0] = static_cast<char>(kind);
  at[1] = static_cast<char>(name.size() & 0xff);
  at[2] = static_cast<char>(name.size() >> 8);
  std::memcpy(at + kEntryHead, name.data(), name.size());
  block.used += size;
  ++count_;
}

void FolderListing::Clear() {
  if (blocks_.size() > 1) blocks_.resize(1);
  if (!blocks_.empty()) blocks_[0].used = 0;
  count_ = 0;
  subFoldersOnly_ = false;
}

FolderListing::Entry FolderListing::At(Place place) const {
  const char* at = blocks_[place.block].data.get() + place.offset;
  const size_t length = static_cast<unsigned char>(at[1]) | static_cast<size_t>(static_cast<unsigned char>(at[2])) << 8;
  return {std::string_view(at + kEntryHead, length), static_cast<EntryKind>(at[0]), place};
}

bool FolderListing::Next(Place& place, Entry& entry) const {
  while (place.block < blocks_.size() && place.offset >= blocks_[place.block].used) place = {place.block + 1, 0};
  if (place.block >= blocks_.size()) return false;
  entry = At(place);
  place.offset += static_cast<uint32_t>(kEntryHead + entry.name.size());
  return true;
}

size_t FolderListing::Bytes() const {
  size_t bytes = blocks_.capacity() * sizeof(Block);
  for (const Block& block : blocks_) bytes += block.capacity;
  return bytes;
}

// getdents64 straight into our own buffer: the listing costs one system call
// per buffer-full and no allocation per entry.
struct LinuxDirent64 {
  ino64_t d_ino;
  off64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[];
};

MaybeFailure FolderReader::ReadAll(int fd, bool openedNow, const Take& take) {
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
      if (!take(d->d_name, KindOf(fd, d->d_name, d->d_type))) return std::nullopt;
      pos += d->d_reclen;
    }
  }
}

}  // namespace dustvane
