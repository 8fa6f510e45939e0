#pragma once

#include <string>

#include "search/path_string.h"

namespace dustvane::win32 {

// How Drive1 shows a drive: its letter, then its volume label in brackets,
// or, for a drive without a label (or without a disc in it), the kind of
// drive: "C: [System]", "D: [CD Drive]", "Z: [Network Drive]".
std::wstring DriveText(const PathString& root);

}  // namespace dustvane::win32
