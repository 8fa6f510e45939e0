#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "search/failure.h"
#include "search/name_pattern.h"
#include "search/path_string.h"
#include "search/win32/owned_handle.h"

namespace dustvane {

// Where a walk is: the folders from the first one it listed (the base,
// opened by its full path) down to the one it lists now, each held open.
// Every folder below the base is opened by its name inside its parent's
// handle, never through a junction or link, and must then be what the
// parent's listing showed under that name: no reparse point on it, and the
// file ID listed. So the walk only ever goes through folders it has itself
// listed, whatever happens to their paths, even where the system follows a
// link it was asked not to (Wine does) or a link or another folder took the
// name's place after the listing.
class FolderChain {
 public:
  static constexpr uint32_t kNotRecorded = UINT32_MAX;

  // Makes `folder` (a folder path ending in "\") the innermost level and
  // gives its handle. The levels that lead to it are kept; the folders
  // between the deepest of them and `folder` are opened name by name; a
  // folder outside the chain becomes the base of a new one. Where an open
  // fails, the chain ends at the last folder reached; a folder that is not
  // the one listed under its name fails as one that is gone.
  Result<HANDLE> Reach(const PathString& folder);
  void Close();

  // What the innermost level's listing shows: a sub-folder `name` with the
  // file ID `fileId`, as the listing gave it. A new listing of
  // the level begins with ForgetListedFolders.
  void NoteListedFolder(PathView name, uint64_t fileId);
  void ForgetListedFolders();

  size_t Depth() const { return levels_.size(); }
  HANDLE Handle(size_t level) const { return levels_[level].handle.get(); }
  // The level's folder path, ending in "\".
  PathView Path(size_t level) const { return PathView(path_).substr(0, levels_[level].end); }
  // The level's name inside the level above it; empty for the base.
  PathView Name(size_t level) const;
  // Where the owner keeps the level in its own records; kNotRecorded until
  // the owner sets it. A level reopened starts unrecorded.
  uint32_t& RecordIndex(size_t level) { return levels_[level].recordIndex; }

 private:
  struct ListedFolder {
    PathString name;
    uint64_t fileId;
  };
  struct Level {
    Level(size_t pathEnd, OwnedHandle opened) : end(pathEnd), handle(std::move(opened)) {}
    size_t end;  // the length of the level's path in `path_`
    OwnedHandle handle;
    uint32_t recordIndex = kNotRecorded;
    std::vector<ListedFolder> listed;  // in the order listed, which is the order the walk enters them
    size_t nextListed = 0;             // where the next one is looked for first
  };

  static bool IsListedFolder(Level& parent, PathView name, HANDLE opened);

  PathString path_;  // the innermost level's path
  std::vector<Level> levels_;
};

}  // namespace dustvane
