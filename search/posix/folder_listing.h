#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "search/failure.h"

namespace dustvane {

// What a folder listing tells of an entry's kind without asking the entry.
enum class EntryKind : uint8_t { kFile, kFolder, kLink, kSpecial, kUnknown };

// The kind of an entry from its mode bits (as lstat reports them).
EntryKind KindOfMode(mode_t mode);

// The entries of one folder, in the order the file system lists them. Each
// is kept as its kind, the length of its name and the name, one after the
// other, in blocks that are never moved once written: a listing takes
// little more than its names, and one that grows is never copied.
class FolderListing {
 public:
  // Where an entry lies; the default place is before the first entry.
  struct Place {
    uint32_t block = 0;
    uint32_t offset = 0;
  };
  struct Entry {
    std::string_view name;
    EntryKind kind;
    Place place;  // where it lies, for At
  };

  void Add(std::string_view name, EntryKind kind);
  // Empties the listing; it keeps its first block for the next one.
  void Clear();
  // The first entry at or after `place`, and `place` moved on past it;
  // false past the last entry.
  bool Next(Place& place, Entry& entry) const;
  Entry At(Place place) const;

  size_t size() const { return count_; }
  // The memory its entries hold.
  size_t Bytes() const;
  // Keeps only the sub-folders from `place` on ("." and ".." left out), in
  // one block of just their size, and moves `place` to the same entry in it.
  // It does so the first time, and after that only once the entries before
  // `place` are at least half of it: entering each sub-folder of a wide
  // folder in turn then copies its names a few times, not once each.
  void KeepSubFoldersFrom(Place& place);

 private:
  struct Block {
    std::unique_ptr<char[]> data;
    size_t capacity = 0;
    size_t used = 0;
  };
  void AddBlock(size_t atLeast);

  std::vector<Block> blocks_;
  size_t count_ = 0;
  bool subFoldersOnly_ = false;  // in one block, as KeepSubFoldersFrom left it
};

// Reads folders with getdents into a buffer of its own, allocated once.
class FolderReader {
 public:
  // Takes one entry; false when no more are wanted.
  using Take = std::function<bool(std::string_view name, EntryKind kind)>;

  // Hands every entry of the open folder `fd` to `take`, from its start, in
  // the file system's order, until it wants no more. Entries whose kind the
  // listing does not tell are asked with one lstat each (and stay unknown if
  // they have gone). A folder opened just now is at its start already and is
  // not rewound.
  MaybeFailure ReadAll(int fd, bool openedNow, const Take& take);
  // The same into `listing`, whose entries it replaces.
  MaybeFailure Read(int fd, bool openedNow, FolderListing& listing) {
    listing.Clear();
    return ReadAll(fd, openedNow, [&listing](std::string_view name, EntryKind kind) {
      listing.Add(name, kind);
      return true;
    });
  }

 private:
  // Left uninitialised: only the part a listing fills is ever paged in.
  std::unique_ptr<char[]> buffer_;
};

}  // namespace dustvane
