#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "search/name_pattern.h"
#include "search/path_string.h"

namespace dustvane {

// What tells a folder from one made later in its place: its file ID, which
// some file systems give again (FAT and exFAT take it from where the entry
// lies, ext4 under Wine from a reused inode), and its creation time.
struct FolderIdentity {
  uint64_t fileId = 0;
  int64_t creationTime = 0;
  friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};

// What a search remembers of the folders it walked, so that a delete can
// prove it reaches a listed file through those very folders: the search's
// root and the serial number of its volume, and for each folder that holds
// a listed match and each folder above it, its name inside its parent and
// its identity (folder_identity.h). It outlives the walk but holds no
// handle, so a finished search keeps no folder of a removable disk busy. The
// search's folder count bounds it at 32,768 folders.
class WalkedFolderIds {
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
  // folder recorded before keeps its first identity.
  uint32_t Add(uint32_t parent, PathView name, FolderIdentity identity);
  // The recorded folder `name` inside `parent` (kNone and an empty name: the
  // root), if there is one.
  std::optional<uint32_t> Find(uint32_t parent, PathView name) const;
  const FolderIdentity& Identity(uint32_t folder) const { return identities_[folder]; }
  // The identity a proven folder reads after a delete's own change to it
  // (some file systems give a folder's modification time as its creation
  // time).
  void Renew(uint32_t folder, FolderIdentity identity) { identities_[folder] = identity; }

  // The file ID of the line `name` in the recorded `folder`, for a name the
  // system may have read lossily (see win32_file_system.cpp): such a line
  // is proven by its file too.
  void AddLossyName(uint32_t folder, PathView name, uint64_t fileId);
  std::optional<uint64_t> LossyNameFileId(uint32_t folder, PathView name) const;

 private:
  PathString root_;
  std::optional<uint32_t> volume_;
  std::vector<FolderIdentity> identities_;
  std::map<std::pair<uint32_t, PathString>, uint32_t> byName_;
  std::map<std::pair<uint32_t, PathString>, uint64_t> lossyNames_;
};

}  // namespace dustvane
