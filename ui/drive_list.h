#pragma once

#include <optional>
#include <string>
#include <vector>

#include "search/path_string.h"

namespace dustvane {

// Drive1's drives, in three steps so that a drive that never answers cannot
// keep the window from appearing.

// The root folders a user would search, in the platform's order, taken from
// the platform's own table alone, without touching any volume: on POSIX
// systems the mount points of real file systems (not the kernel's virtual
// ones, network ones or system run-time areas), from the mount table; on
// Windows the drive roots in use.
std::vector<PathString> ListDrives();

// What Drive1 shows for a drive until its volume has answered (UTF-8): the
// mount point on POSIX systems, the drive letter ("C:") on Windows.
std::string DriveText(const PathString& root);

// What Drive1 shows for a drive once its volume has answered (UTF-8), or
// nothing when the root is no drive after all: on POSIX systems the mount
// point when it is a folder; on Windows the letter and the volume's label,
// a network drive's share or the kind of drive ("C: [System]",
// "Z: [\\server\share]", "D: [CD Drive]"). Asks the volume, which may take
// long or never answer: for helper threads only (DriveQueries).
std::optional<std::string> DriveTextFromVolume(const PathString& root);

// The position in `drives` of the drive that holds `folder`: the longest root
// that is `folder` itself or one of its parents; 0 when none is.
size_t DriveHolding(const std::vector<PathString>& drives, const PathString& folder);

}  // namespace dustvane
