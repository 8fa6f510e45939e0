#pragma once

#include "search/failure.h"
#include "search/path_string.h"
#include "search/win32/walked_folders.h"

namespace dustvane {

// Removes the file `path` names, a line of the search `walked` records,
// only through the folders that search walked: its root is opened by its
// path, each folder below by its name inside the one above, never through a
// junction or link, and each must be the very folder recorded (same volume
// serial, same file ID). The file is then taken by its name inside the last
// one, never through a reparse point, and deleted through its handle.
// Folders and read-only files are refused (error 5). Where the folders
// cannot be proven (the path is not of that search, a folder is gone or is
// another one now, the drive names another volume), nothing is removed and
// the failure is that of a file that is gone (error 2).
MaybeFailure RemoveWalkedFile(const WalkedFolders& walked, const PathString& path);

}  // namespace dustvane
