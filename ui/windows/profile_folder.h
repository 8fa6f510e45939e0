#pragma once

#include "search/path_string.h"

namespace dustvane {

// The folder whose drive Drive1 starts on: the user's profile folder, with
// its drive letter in upper case as the drive roots have it; "C:\" if the
// profile folder is unknown.
PathString ProfileFolder();

}  // namespace dustvane
