#pragma once

#include <windows.h>

#include <optional>

#include "search/path_string.h"

namespace dustvane {

// The open entry's path from its volume's root, as the file system keeps
// it: in its normalized form (long names, as stored), or, where the file
// system offers no such form (Wine), in the form it was opened by, which
// Wine takes from the entry's real place; none where it cannot be asked.
// Entries of one volume are asked in one form. Windows' lookup of a name
// folds case (but in folders marked case-sensitive) and takes a short 8.3
// name for the long one, and Wine's opens through a link to a file, wherever
// that file lies: a handle opened by a name may hold another entry than the
// one named, which its path tells.
std::optional<PathString> StoredPathOf(HANDLE entry);

}  // namespace dustvane
