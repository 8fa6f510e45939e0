#pragma once

#include <string>

namespace dustvane::testing {

// The file systems a test can make afresh for itself.
enum class ScratchKind {
  kTmpfs,
  kExt4,  // on a loop device: a folder removed and made again gets its inode number back
  kExt4SmallInodes,  // the same with 128-byte inodes, which keep whole seconds and no birth time
  kExt4Encrypting,   // the same with folders that may be encrypted (fscrypt)
};

const char* NameOf(ScratchKind kind);

// Mounts a new, empty file system of `kind` at `folder` (which must exist),
// in the calling process's mount namespace: call it in a private one
// (child_process.h). The ext4 image lies beside `folder`; its loop device is
// let go when the file system is unmounted, as it is when the namespace
// goes. False where this machine does not allow it.
bool MountScratch(ScratchKind kind, const std::string& folder);

}  // namespace dustvane::testing
