#pragma once

#include <string_view>

#include "search/path_string.h"

namespace dustvane {

// True when `name` matches `pattern`: "*" stands for any run of characters
// (none, and dots, included); every other character stands for itself, with
// ASCII letters compared without regard to case. Names are not decoded, so
// other characters must be equal code unit for code unit.
bool MatchesNamePattern(PathView name, PathView pattern);

}  // namespace dustvane
