#pragma once

#include <string>

#include "search/failure.h"
#include "search/posix/folder_proof.h"
#include "search/posix/folder_record.h"
#include "search/walked_folders.h"

namespace dustvane {

// Removes the file at `path`, a line of the search `walked` records (with
// the watches its marks hold), never a
// folder, and refuses one whose owner may not write it. The file is taken by
// its name inside its folder, and that folder is reached from the search's
// root name by name, each folder on the way opened without following a link
// and held against its mark as the search found it: the very folder, on the
// very mount, the one the search's proof of it tells (folder_proof.h).
// Whatever took a folder's place since (another folder, a link, anything
// mounted over it or the root, another medium in its place, a subvolume put
// back from a snapshot) leaves the path unproven, and nothing is removed:
// the failure is that of a file that is gone (ENOENT). So is a folder the
// search could take no proof of. The file itself may have been made again
// or replaced in its folder since: it is what the line names, in the folder
// the search listed.
MaybeFailure RemoveWalkedFile(const WalkedFolders<FolderMark>& walked, const FolderWatches& watches,
                              const std::string& path);

}  // namespace dustvane
