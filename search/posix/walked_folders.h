#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/posix/folder_record.h"
#include "search/posix/folder_proof.h"

namespace dustvane {

// The folders a search listed files in, and every folder above them up to
// its root, each by its name and its mark as the walk found it: what Delete
// holds the folders of a listed path against before it removes anything.
// It outlives the walk but holds no folder open, so a finished search keeps
// no file system busy: its proofs (folder_proof.h) keep none. It keeps one entry for each folder the search entered at
// most (so no more than 32,768), each a name and a few numbers.
class WalkedFolders {
 public:
  static constexpr uint32_t kNoParent = UINT32_MAX;
  // One folder on the way to a file: its name inside the folder above it
  // (for the root, the root's path) and its mark.
  struct Step {
    std::string_view name;
    FolderMark mark;
  };

  // Forgets every folder noted, and lets go of their watches: a walk begins
  // at the folder `root`, written as each of its paths begins.
  void Begin(const std::string& root);

  // The watches the marks hold, taken and asked through these.
  FolderWatches& Watches() { return watches_; }
  const FolderWatches& Watches() const { return watches_; }

  // Notes a folder: its name inside the folder noted at `parent` (kNoParent
  // for the root, whose name is the root's path) and its mark. Returns where
  // it is noted, for the folders inside it.
  uint32_t Add(uint32_t parent, std::string_view name, const FolderMark& mark);

  // The folders from the root down to `folder`, each as it was noted; nothing
  // where one of them was not.
  std::optional<std::vector<Step>> WayTo(std::string_view folder) const;

 private:
  struct Folder {
    uint32_t parent;
    uint32_t depth;
    uint32_t nameAt;  // its name in `names_`
    uint32_t nameSize;
    FolderMark mark;
  };
  std::string_view NameOf(const Folder& folder) const {
    return std::string_view(names_).substr(folder.nameAt, folder.nameSize);
  }
  bool Leads(uint32_t at, const std::vector<std::string_view>& names) const;

  std::string root_;
  FolderWatches watches_;
  // Each folder after those above it; in blocks, so that it grows without a
  // copy (a vector's growth would briefly hold it twice).
  std::deque<Folder> folders_;
  std::string names_;
};

}  // namespace dustvane
