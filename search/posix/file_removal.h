#pragma once

#include <string>

#include "search/failure.h"

namespace dustvane {

// Removes the file at `path`, never a folder, and refuses one whose owner
// may not write it. The folder that holds it is reached without following
// any link, so a folder on the way that was replaced by a link since the
// search cannot send the removal somewhere else.
MaybeFailure RemoveFileWithoutLinks(const std::string& path);

}  // namespace dustvane
