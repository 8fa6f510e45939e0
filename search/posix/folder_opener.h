#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "search/failure.h"
#include "search/posix/folder_record.h"
#include "search/posix/mount_map.h"

namespace dustvane {

// Every folder the layer reads is opened here, with these flags: read-only,
// a folder or nothing, and kept from any program the process starts. A walk
// opens only folders the process may search as well as read: one whose names
// may be listed but not looked up (read without execute permission) would
// hand out names whose every query fails, so it fails to open (EACCES) as
// one that may not be read at all, before anything in it is listed.
// Below a walk's root, folders are only ever opened by one name inside an
// open parent and never through a link (O_NOFOLLOW), so nothing a name on
// the way is turned into can lead outside the tree, and no path is passed to
// the system whole, so neither depth nor path length is limited.

// The folder at `path` ("" for the working folder), links on the way
// followed as in any path the user gives.
Result<int> OpenFolderAtPath(const std::string& path);

// The sub-folder `name` of the open folder `folderFd`, not through a link,
// entering whatever is mounted there: for reaching an entry outside a walk.
Result<int> OpenSubFolder(int folderFd, const std::string& name);

// The folder that holds the open folder `folderFd` (its "..").
Result<int> OpenParentFolder(int folderFd);

// The sub-folder `name` of the open folder `folderFd` by a walk's rules where
// it lies on the same file system: not through a link, and only one the
// process may search; EXDEV where a mount shows there. One system call, and
// nothing asked of any other file system: what a helper opens for the walk.
Result<int> OpenSubFolderWithoutCrossing(int folderFd, const std::string& name);

// The folder at `path` (ending in "/") below the open folder `anchorFd`,
// open for reading, or only as a path-only descriptor (`pathOnly`), which
// reads nothing of it: reached by a walk's rules for every folder on the
// way, never through a link, never across a mount, never out of the
// anchor, and only through folders the process may search; ENOSYS where
// the kernel cannot promise that (no openat2). How a helper reaches the
// folders it reads ahead.
Result<int> OpenPathBelow(int anchorFd, const std::string& path, bool pathOnly);

// What a walk knows when it opens a sub-folder: its mount table, and which
// folders it is inside.
struct WalkRules {
  const MountMap& mounts;
  const std::function<bool(const FolderIdentity&)>& isInside;
};

// A sub-folder opened by the walk's rules.
struct WalkOpened {
  int fd = -1;          // -1 when the walk does not enter it
  bool crossed = false;  // it lies on another file system than its parent
};

// The sub-folder `name` of the open folder `folderFd` by a walk's rules: not
// through a link, and where another file system is mounted there (a
// crossing), only when it is not a system file system and not a folder the
// walk is already inside. At a crossing nothing is asked of the file system
// there until its type is known: first its type by its mount in the mount
// table (read again for a mount the walk's table does not know), then
// fstatfs of the folder itself for the kernel's own file systems, whatever
// the table says; automount points are never set off. Ordinary folders cost
// one system call, as any open does.
Result<WalkOpened> OpenSubFolderByWalkRules(int folderFd, const std::string& name, const WalkRules& rules);

// Folders this process has opened so far through the functions above: what
// tests and benchmarks count to tell how much a walk costs.
uint64_t FolderOpensSoFar();

}  // namespace dustvane
