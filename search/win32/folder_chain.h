#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "search/failure.h"
#include "search/name_pattern.h"
#include "search/path_string.h"
#include "search/win32/owned_handle.h"

namespace dustvane {

// Where a walk is: the folders from the first one it listed (the base,
// opened by its full path) down to the one it lists now, each held open.
// Every folder below the base is opened by its name inside its parent's
// handle, never through a junction or link, so the walk only ever goes
// through folders it has itself listed, whatever happens to their paths.
class FolderChain {
 public:
  static constexpr uint32_t kNotRecorded = UINT32_MAX;

  // Makes `folder` (a folder path ending in "\") the innermost level and
  // gives its handle. The levels that lead to it are kept; the folders
  // between the deepest of them and `folder` are opened name by name; a
  // folder outside the chain becomes the base of a new one. Where an open
  // fails, the chain ends at the last folder reached.
  Result<HANDLE> Reach(const PathString& folder);
  void Close();

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
  struct Level {
    size_t end;  // the length of the level's path in `path_`
    OwnedHandle handle;
    uint32_t recordIndex = kNotRecorded;
  };

  size_t LevelsLeadingTo(const PathString& folder) const;

  PathString path_;  // the innermost level's path
  std::vector<Level> levels_;
};

}  // namespace dustvane
