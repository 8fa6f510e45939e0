#pragma once

#include "search/failure.h"
#include "search/path_string.h"
#include "search/win32/walked_tree.h"

namespace dustvane {

// Removes the file `path` names, a line of the search `walked` records,
// only through the folders that search walked: its root is opened by its
// path, each folder below by its name inside the one above, never through a
// junction or link, and each must be the very folder recorded (same volume
// serial, file ID, and creation time where it has one of its own). The file
// is then opened by its name inside the last one, never through a reparse
// point, and must be that entry: its path from the volume's root exactly the
// root's followed by the line's folders and name, case included (never a
// short name), on the search's volume, and no reparse point on it. Where a folder on the way was
// told by its file ID alone, or the name may have been read lossily, the
// file must also be the one listed (file ID, length, last write time). It is
// deleted through its handle, and once that is closed the name must no
// longer lead to it, or only until the program holding it open lets go.
//
// Folders, read-only files and files with a reparse point are refused
// (error 5); a delete the system took but did not carry out fails with what
// the system then says of the name, or error 5. Where the folders or the
// file cannot be proven (the path is not of that search, a folder is gone
// or is another one now, the drive names another volume, the name leads to
// another entry), nothing is removed and the failure is that of a file that
// is gone (error 2).
MaybeFailure RemoveFileProvenByIds(const WalkedTree& walked, const PathString& path);

}  // namespace dustvane
