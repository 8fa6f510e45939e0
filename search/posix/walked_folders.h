#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/posix/folder_record.h"

namespace dustvane {

// The folders a search listed files in, and every folder above them up to
// its root, each by its name and its mark as the walk found it: what Delete
// holds the folders of a listed path against before it removes anything.
// It outlives the walk but holds no descriptor, so a finished search keeps
// no folder busy. It keeps one entry for each folder the search entered at
// most (so no more than 32,768), each a name and a few numbers.
class WalkedFolders {
 public:
  // One folder on the way to a file: its name inside the folder above it
  // (for the root, the root's path) and its mark.
  struct Step {
    std::string_view name;
    FolderMark mark;
  };
  // The mark of the folder `depth` names below the root (the root is 0) on
  // the way to the folder being noted; nothing where it cannot be read.
  using MarkOf = std::function<std::optional<FolderMark>(size_t depth)>;

  // Forgets every folder noted: a walk begins at the folder `root`, written
  // as each of its paths begins.
  void Begin(const std::string& root);

  // Notes the folder `folder` (a path of the walk, ending in "/") and those
  // above it. Only folders not noted yet on the way are asked of `markOf`,
  // in order from the root; one that cannot be read leaves it and those
  // below it unnoted.
  void Note(const std::string& folder, const MarkOf& markOf);

  // The folders from the root down to `folder`, each as it was noted; nothing
  // where one of them was not.
  std::optional<std::vector<Step>> WayTo(std::string_view folder) const;

 private:
  static constexpr uint32_t kNoParent = UINT32_MAX;
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
  // The root first, each folder after those above it; in blocks, so that it
  // grows without a copy (a vector's growth would briefly hold it twice).
  std::deque<Folder> folders_;
  std::string names_;
  // The folder noted last, and for each folder on its way (from the root),
  // where its name ends in `lastNoted_` and where it lies in `folders_`.
  std::string lastNoted_;
  std::vector<std::pair<size_t, uint32_t>> way_;
};

}  // namespace dustvane
