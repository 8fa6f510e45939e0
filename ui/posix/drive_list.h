#pragma once

#include <vector>

#include "search/path_string.h"
#include "search/posix/mount_table.h"

namespace dustvane {

// The drives among the given mounts, in their order; "/" when none is.
std::vector<PathString> DrivesAmong(const std::vector<Mount>& mounts);

}  // namespace dustvane
