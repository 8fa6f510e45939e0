#pragma once

#include "search/path_string.h"

namespace dustvane {

// The form of `path` to hand to the wide-character file API. A path too long
// for the classic limit gets the "\\?\" prefix (or "\\?\UNC\" for a share),
// which lifts the limit but also the API's clean-up of the path, so its "/"
// separators are turned into "\" here. Short paths and relative ones are
// handed over as they are.
PathString ApiPath(const PathString& path);

}  // namespace dustvane
