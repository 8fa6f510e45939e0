#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "search/path_string.h"
#include "search/walked_folders.h"
#include "search/win32/folder_identity.h"

namespace dustvane {

// A system that cannot read a name as text (Wine, for bytes that are not
// UTF-8) gives U+FFFD in place of what it could not read, so that several
// entries of one folder may list under one name, of which the name then
// leads to one at most.
inline bool MayBeLossy(PathView name) { return name.find(L'\uFFFD') != PathView::npos; }

// A listed file as the listing showed it, to prove a line by its file too.
struct ListedFile {
  uint64_t fileId = 0;
  int64_t length = 0;
  int64_t lastWriteTime = 0;
};

// What a search remembers of the tree it walked, so that a delete can prove
// it reaches a listed file through those very folders: each folder that
// holds a listed match and each folder above it, by its identity
// (folder_identity.h); the serial number of the root's volume; and each
// line's file as listed, by its folder and name. A line is proven by its
// file as well where its folders cannot be told from ones made again in
// their place (no creation time of their own), and where the system may
// have read its name lossily. It holds no
// handle, so a finished search keeps no folder of a removable disk busy.
struct WalkedTree {
  WalkedFolders<DatedFileId> folders;
  std::optional<uint32_t> volume;
  std::map<std::pair<uint32_t, PathString>, ListedFile> files;  // by folder and name

  // A new search from `root` (the path every line of it begins with).
  void Begin(PathString root) {
    folders.Begin(std::move(root));
    volume.reset();
    files.clear();
  }
};

}  // namespace dustvane
