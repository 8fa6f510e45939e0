#pragma once

#include <string>

#include "search/failure.h"
#include "search/posix/walked_tree.h"

namespace dustvane {

// Removes the file at `path`, a line of the search `walked` records, only
// where it is still the very file the search listed, in the very folder,
// reached through the very folders: never a folder, and never one whose
// owner may not write it. The file is taken by its name inside its folder,
// and that folder is reached from the search's root name by name, each
// folder on the way opened without following a link and held against its
// mark as the search found it: the very folder, on the very mount, in the
// very btrfs subvolume. Each is first held against what the kernel knows of
// it without asking its file system, so that a file system mounted there
// since, one that never answers among them, is never asked anything. The
// file itself must bear the mark the search took of it (FileMark). Whatever
// took a folder's or the file's place since (another folder, a link,
// anything mounted over it or the root, another medium in its place, a
// subvolume put back from a snapshot, another folder shown under its name by
// a FUSE server, a file made again) leaves the line unproven, and nothing is
// removed: the failure is that of a file that is gone (ENOENT).
MaybeFailure RemoveWalkedFile(const WalkedTree& walked, const std::string& path);

}  // namespace dustvane
