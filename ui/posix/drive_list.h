#pragma once

#include <vector>

#include "search/path_string.h"
#include "search/posix/mounted_file_systems.h"

namespace dustvane {

// The drives among the given mounts, in their order, each mount point once;
// "/" when none is. Whether each is a folder is the volume's to tell
// (DriveTextFromVolume).
std::vector<PathString> DrivesAmong(const std::vector<MountedFileSystem>& mounts);

}  // namespace dustvane
