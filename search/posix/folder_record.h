#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>

#include "search/failure.h"
#include "search/posix/folder_proof.h"

namespace dustvane {

// Which folder a descriptor stands for, whatever name it is reached by.
struct FolderIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};

// A moment as the file system records it, in nanoseconds since the epoch.
using FileTime = int64_t;

// What tells whether a folder's entries may have changed: every entry added,
// removed or renamed moves its modification and change times, and a folder
// made again under the same inode number has another birth (where the file
// system keeps one; 0 where not).
struct FolderState {
  FileTime changed = 0;
  FileTime modified = 0;
  FileTime born = 0;
  friend bool operator==(const FolderState&, const FolderState&) = default;
};

// Which mount a folder was reached through. From Linux 6.8 the kernel
// numbers every mount once for good (STATX_MNT_ID_UNIQUE); before, a number
// is given again once its mount is gone, and the file system's own id
// (f_fsid) stands beside it, which many file systems derive from their
// device (vfat, f2fs, xfs, udf...), not their medium. Neither tells one
// medium from another in the same device: the listed file does (FileMark).
struct MountIdentity {
  uint64_t id = 0;
  uint64_t fileSystem = 0;  // 0 where `id` is never given again
  friend bool operator==(const MountIdentity&, const MountIdentity&) = default;
};

struct FolderRecord {
  FolderIdentity identity;
  MountIdentity mount;
  FolderState state;
  friend bool operator==(const FolderRecord&, const FolderRecord&) = default;
};

// What stays the same of a folder for as long as it is the very folder,
// reached through the very mount, unlike its times, which move with every
// entry made or removed in it; on btrfs, the subvolume it lies in
// (folder_proof.h).
struct FolderMark {
  FolderIdentity identity;
  MountIdentity mount;
  FileTime born = 0;
  SubvolumeId subvolume{};
  friend bool operator==(const FolderMark&, const FolderMark&) = default;
};
inline FolderMark MarkOf(const FolderRecord& record, const SubvolumeId& subvolume) {
  return {record.identity, record.mount, record.state.born, subvolume};
}

// What tells a listed file from any other that takes its name or its place:
// which file it is, its size, and its change, modification and birth times
// to the nanosecond. A file made again, written, renamed, linked or given
// other permissions since has other times (the change time moves with each,
// and only the kernel's clock sets it), and a file on another medium, in a
// folder put back from a snapshot or shown by a FUSE server in another
// folder's place is another file; only a clone of the medium keeps all of
// it. The identity and times are those of a folder's record (the same
// fields, read the same way).
struct FileMark {
  FolderIdentity identity;
  FolderState state;
  uint64_t size = 0;
  friend bool operator==(const FileMark&, const FileMark&) = default;
};
struct FileRecord {
  FileMark mark;
  mode_t mode = 0;
};

// The entry `name` of the open folder `folderFd` (a path-only descriptor
// will do) itself, a link not followed and an automount point not set off,
// as its file system tells it now: a FUSE server or a network client is
// asked afresh, never answered from what the kernel kept of an earlier
// answer.
Result<FileRecord> ReadFileRecord(int folderFd, const char* name);

// The record of the open folder `fd` (a path-only descriptor will do), as the
// file system tells it now. This is the one place where a folder's identity,
// mount and state are read.
Result<FolderRecord> ReadRecord(int fd);

// Whether the file system of the open folder `fd` may hold encrypted
// folders (fscrypt): false only where it cannot, as one whose encryption
// was never turned on.
bool MayHoldEncryptedFolders(int fd);

// Whether the open folder `fd` (a path-only descriptor will do) is
// encrypted, by what its file system says now.
bool IsEncrypted(int fd);

// The identity of the entry `name` of the open folder `folderFd` itself: a
// link is not followed and an automount point is not set off.
std::optional<FolderIdentity> IdentityOfEntry(int folderFd, const char* name);

// What the kernel already knows of the folder `fd` (a path-only descriptor
// will do) without asking its file system anything, so that a network or
// FUSE server that never answers is not waited on: its identity and the
// number of the mount it lies on (-1 where the kernel does not tell).
// Nothing where `fd` is not a folder.
struct KnownFolder {
  FolderIdentity identity;
  int mountId = -1;
};
std::optional<KnownFolder> KnownWithoutAsking(int fd);

// Whether the entry `name` of the open folder `folderFd` (a path-only
// descriptor will do; "" for that folder itself) is the one of `identity`
// on the mount numbered `mount` (as a record numbers it), by what the
// kernel knows without asking the file system there: whatever was mounted
// there since, one that never answers among them, is told before anything
// asks it. Naming an entry asks the folder's own file system to look it up.
bool IsWithoutAsking(int folderFd, const char* name, const FolderIdentity& identity, uint64_t mount);

}  // namespace dustvane
