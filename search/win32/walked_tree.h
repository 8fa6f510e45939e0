#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "search/path_string.h"
#include "search/walked_folders.h"
#include "search/win32/folder_identity.h"

namespace dustvane {

// What a search remembers of the tree it walked, so that a delete can prove
// it reaches a listed file through those very folders: each folder that
// holds a listed match and each folder above it, by its identity
// (folder_identity.h); the serial number of the root's volume; and the file
// ID of each line whose name the system may have read lossily (see
// win32_file_system.cpp): such a line is proven by its file too. It holds
// no handle, so a finished search keeps no folder of a removable disk busy.
struct WalkedTree {
  WalkedFolders<DatedFileId> folders;
  std::optional<uint32_t> volume;
  std::map<std::pair<uint32_t, PathString>, uint64_t> lossyNames;  // by folder and name

  // A new search from `root` (the path every line of it begins with).
  void Begin(PathString root) {
    folders.Begin(std::move(root));
    volume.reset();
    lossyNames.clear();
  }
};

}  // namespace dustvane
