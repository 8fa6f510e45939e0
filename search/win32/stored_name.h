#pragma once

#include <windows.h>

#include "search/name_pattern.h"

namespace dustvane {

// Whether the open entry is the entry `name` of the open folder `folder`,
// as the file system keeps its name: its path from the volume's root is
// exactly the folder's followed by `name`, unit for unit. Windows' lookup of
// a name folds case (but in folders marked case-sensitive) and takes a short
// 8.3 name for the long one, and Wine's opens through a link to a file,
// wherever that file lies: the handle may then hold another entry than the
// one named, which its own path tells. Both paths are asked in their
// normalized form (long names, as stored), or, where the file system offers
// no such form (Wine), in the form they were opened by, which Wine takes
// from the file's real place.
bool IsNamedIn(HANDLE entry, HANDLE folder, PathView name);

}  // namespace dustvane
