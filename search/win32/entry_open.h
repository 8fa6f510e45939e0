#pragma once

#include <windows.h>

#include "search/failure.h"
#include "search/name_pattern.h"
#include "search/path_string.h"
#include "search/win32/owned_handle.h"

namespace dustvane {

// How the layer opens the folders it lists and the files it removes. Every
// open shares reading, writing and deletion with others, so a folder held
// open by a walk never stops another program from renaming or deleting it.

// The folder `exactPath` (ApiPath's form, ending in "\"), for listing. A
// junction or link on its way is followed: it is the folder the user named.
Result<OwnedHandle> OpenFolderAt(const PathString& exactPath);

// The entry at `exactPath` (ApiPath's form), file or folder, to ask it what
// it is; a junction or link on its way is followed.
Result<OwnedHandle> OpenEntryAt(const PathString& exactPath);

// The folder `name` inside the open folder `folder`, for listing: the entry
// itself, never what a reparse point on it (a junction, a link) leads to.
// `name` is one entry name, as the listing gave it.
Result<OwnedHandle> OpenFolderIn(HANDLE folder, PathView name);

// The two opens below fail with ERROR_DELETE_PENDING, not the system's
// access denied, for an entry whose delete is taken and waits for another
// program to let go of it.

// The entry `name` inside the open folder `folder`, file or folder, to ask
// it what it is: the entry itself, never what a reparse point on it leads to.
Result<OwnedHandle> OpenEntryIn(HANDLE folder, PathView name);

// The entry `name` inside the open folder `folder`, to be removed through
// the handle: the entry itself, never what a reparse point on it leads to.
Result<OwnedHandle> OpenForRemovalIn(HANDLE folder, PathView name);

// The file `name` inside the open folder `folder`, as for removal but
// sharing nothing: it fails with ERROR_SHARING_VIOLATION while another
// program holds the file open.
Result<OwnedHandle> OpenUnsharedIn(HANDLE folder, PathView name);

}  // namespace dustvane
