#pragma once

#include <vector>

#include "search/path_string.h"

namespace dustvane {

// The root folders a user would search, in the platform's order: on POSIX
// systems the mount points of real file systems (not the kernel's virtual
// ones, network ones or system run-time areas); on Windows the drive roots.
std::vector<PathString> ListDrives();

// The position in `drives` of the drive that holds `folder`: the longest root
// that is `folder` itself or one of its parents; 0 when none is.
size_t DriveHolding(const std::vector<PathString>& drives, const PathString& folder);

}  // namespace dustvane
