#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "search/posix/folder_record.h"
#include "search/walked_folders.h"

namespace dustvane {

// What a search remembers for Delete: each folder that holds a listed file
// and each folder above it (search/walked_folders.h), and each listed file
// by its folder and name, with the marks they bore. Marks only: it holds no
// descriptor, watch or anything else of the kernel's, so that a finished
// search keeps no file system busy and no encrypted folder unlocked.
struct WalkedTree {
  WalkedFolders<FolderMark> folders;
  std::map<std::pair<uint32_t, std::string>, FileMark> files;
  // The root's path from the system's root (empty where the kernel did not
  // tell it), and the mounts at it or above it, by number: what the mount
  // table tells of the root's path, without asking any file system.
  std::string rootInSystem;
  std::vector<int> mountsAtOrAboveRoot;

  // A new search from `root` (the path every line of it begins with).
  void Begin(PathString root) {
    folders.Begin(std::move(root));
    files.clear();
    rootInSystem.clear();
    mountsAtOrAboveRoot.clear();
  }
};

}  // namespace dustvane
