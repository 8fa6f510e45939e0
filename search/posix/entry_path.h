#pragma once

#include <string>

#include "search/failure.h"
#include "search/posix/descriptor.h"

namespace dustvane {

// An entry reached without following any link on the way: the open folder
// that holds it and its name there.
struct EntryInFolder {
  Descriptor folder;
  std::string name;
};

// Opens the folder that holds `path` one component at a time from "/" (or
// from the working folder for a relative path), refusing to pass through a
// link. Works for paths of any length.
Result<EntryInFolder> OpenHoldingFolder(const std::string& path);

}  // namespace dustvane
