#pragma once

#include <array>
#include <cstdint>

namespace dustvane {

// What tells Delete a btrfs subvolume from one put back in its place from a
// snapshot: the snapshot holds the very same folders and files (inode
// numbers, sizes and times alike), on the same mount, and once the deleted
// subvolume is cleaned up, under its device number; but no other subvolume,
// a snapshot of it included, has its UUID. Two disks cloned from one image
// share it.
using SubvolumeId = std::array<uint8_t, 16>;  // all zero: not on btrfs

// The UUID of the btrfs subvolume the folder `fd` lies in; all zero off
// btrfs. `fd` must be open for reading: btrfs answers nothing on a
// path-only descriptor.
SubvolumeId SubvolumeOf(int fd);

// The same for the folder a path-only descriptor `fd` stands for, opened
// for reading for the question: all zero where it cannot be.
SubvolumeId SubvolumeOfPath(int fd);

}  // namespace dustvane
