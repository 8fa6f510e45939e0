#pragma once

#include <vector>

#include "search/path_string.h"
#include "search/posix/mount_table.h"

namespace dustvane {

// The drives among the given mounts, in their order, each mount point once;
// "/" when none is. Whether each is a folder is the volume's to tell
// (DriveTextFromVolume).
std::vector<PathString> DrivesAmong(const std::vector<Mount>& mounts);

}  // namespace dustvane
