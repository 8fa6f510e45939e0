#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

namespace dustvane {

// What tells a folder from one made later in its place: its file ID, which
// some file systems give again (FAT and exFAT take it from where the entry
// lies, ext4 under Wine from a reused inode), and its creation time, where
// the folder has one of its own.
struct DatedFileId {
  uint64_t fileId = 0;
  int64_t creationTime = 0;
  // False where the creation time is the folder's last write time, as Wine
  // gives both from the Unix modification time: any entry made or removed
  // in the folder moves it, and a folder made again, with its times put
  // back, bears it too. It then tells nothing.
  bool ownCreationTime = true;
};

// What tells one folder from every other: the serial number of its volume,
// and there its file ID and creation time. A folder keeps them when it is
// renamed or moved within its volume; a folder made in its place, another
// volume in the same drive, or a junction put where it was, has other ones.
// Two disks cloned from one image share them.
//
// A folder opened by its name inside another, never through a reparse
// point, lies on that folder's volume, so a walk asks its root alone for the
// serial: under Wine the question goes to another process and takes about
// a millisecond, where the file ID takes a microsecond.

// Whether a file ID, as the system gave it, is none at all: 0, or all ones
// where a 64-bit ID cannot hold the file system's own. Such an ID proves
// nothing.
constexpr bool IsNoFileId(uint64_t id) { return id == 0 || id == ~uint64_t{0}; }

// The file ID of the open entry; none where the file system gives none.
std::optional<uint64_t> FileIdOf(HANDLE entry);

// The file ID and creation time of the open folder; none without a file ID.
std::optional<DatedFileId> DatedFileIdOf(HANDLE folder);

// Whether the open folder `now` is the folder recorded as `recorded`: the
// same file ID, and the same creation time where the record has one of its
// own.
bool BearsIdentity(const DatedFileId& now, const DatedFileId& recorded);

// Whether the open entry carries a reparse point (a junction, a link, a
// placeholder of some file system's own); also where the system cannot say.
bool IsReparsePoint(HANDLE entry);

// The serial number of the volume that holds the open entry.
std::optional<uint32_t> VolumeSerialOf(HANDLE entry);

}  // namespace dustvane
