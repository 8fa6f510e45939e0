#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

namespace dustvane {

// What tells one folder from every other: the serial number of its volume
// and its file ID there. A folder keeps both when it is renamed or moved
// within its volume; a folder made in its place, another volume in the same
// drive, or a junction put where it was, has other ones. Two disks cloned
// from one image share both.
//
// A folder opened by its name inside another, never through a reparse
// point, lies on that folder's volume, so a walk asks its root alone for the
// serial: under Wine the question goes to another process and takes about
// a millisecond, where the file ID takes a microsecond.

// The file ID of the open entry; none where the file system gives none (0,
// or all ones where a 64-bit ID cannot hold it), which would prove nothing.
std::optional<uint64_t> FileIdOf(HANDLE entry);

// The serial number of the volume that holds the open entry.
std::optional<uint32_t> VolumeSerialOf(HANDLE entry);

}  // namespace dustvane
