#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "search/failure.h"

namespace dustvane {

// What a folder listing tells of an entry's kind without asking the entry.
enum class EntryKind : uint8_t { kFile, kFolder, kLink, kSpecial, kUnknown };

// The kind of an entry from its mode bits (as lstat reports them).
EntryKind KindOfMode(mode_t mode);

// The entries of one folder, in the order the file system lists them, with
// their names kept in one buffer.
class FolderListing {
 public:
  // Reads every entry of the open folder `fd` from its start. Entries whose
  // kind the listing does not tell are asked with one lstat each. A folder
  // opened just now is at its start already and is not rewound.
  MaybeFailure Read(int fd, bool openedNow = false);
  void Clear();
  // Hands the entries over to `to`, whose own are dropped; this listing is
  // left empty and keeps its read buffer.
  void MoveEntriesTo(FolderListing& to);
  // A copy of the entries that takes no more memory than they need, without
  // a read buffer.
  FolderListing TightCopy() const;

  size_t size() const { return entries_.size(); }
  std::string_view Name(size_t i) const {
    return std::string_view(names_).substr(entries_[i].offset, entries_[i].length);
  }
  EntryKind Kind(size_t i) const { return entries_[i].kind; }
  // The memory the entries hold.
  size_t Bytes() const { return entries_.capacity() * sizeof(Entry) + names_.capacity(); }

 private:
  struct Entry {
    uint32_t offset;
    uint32_t length;
    EntryKind kind;
  };
  void Add(int fd, std::string_view name, unsigned char type);

  std::vector<Entry> entries_;
  std::string names_;
  // Left uninitialised: only the part a listing fills is ever paged in.
  std::unique_ptr<char[]> buffer_;
};

}  // namespace dustvane
