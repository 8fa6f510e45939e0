#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "search/name_pattern.h"
#include "search/path_string.h"

namespace dustvane {

// What a search remembers of the folders it walked, so that a delete can
// prove it reaches a listed file through those very folders: the search's
// root and the serial number of its volume, and for each folder that holds
// a listed match and each folder above it, its name inside its parent and
// its file ID (folder_identity.h). It outlives the walk but holds no handle,
// so a finished search keeps no folder of a removable disk busy. The
// search's folder count bounds it at 32,768 folders.
class WalkedFolders {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;

  // A new search from `root` (the path every line of it begins with): what
  // the last search walked is forgotten.
  void Begin(PathString root);
  const PathString& Root() const { return root_; }
  void SetVolume(uint32_t serial) { volume_ = serial; }
  std::optional<uint32_t> Volume() const { return volume_; }

  // Records the folder `name` inside the recorded folder `parent`, or the
  // root with kNone and an empty name; gives its place in the record. A
  // folder recorded before keeps its first file ID.
  uint32_t Add(uint32_t parent, PathView name, uint64_t fileId);
  // The recorded folder `name` inside `parent` (kNone and an empty name: the
  // root), if there is one.
  std::optional<uint32_t> Find(uint32_t parent, PathView name) const;
  uint64_t FileId(uint32_t folder) const { return fileIds_[folder]; }

 private:
  PathString root_;
  std::optional<uint32_t> volume_;
  std::vector<uint64_t> fileIds_;
  std::map<std::pair<uint32_t, PathString>, uint32_t> byName_;
};

}  // namespace dustvane
