#pragma once

#include <windows.h>

#include "search/name_pattern.h"

namespace dustvane {

// Whether the open entry's name in its folder, as the file system keeps it,
// is exactly `name`, unit for unit. Windows' lookup of a name folds case
// (but in folders marked case-sensitive) and takes a short 8.3 name for the
// long one, and Wine's opens through a link to a file: the handle may then
// hold another entry than the one named, which its own name tells. The name
// is asked in its normalized form (long names, as stored), or, where the
// file system offers no such form (Wine), in the form it was opened by.
bool IsNamed(HANDLE entry, PathView name);

}  // namespace dustvane
