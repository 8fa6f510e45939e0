#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "search/path_string.h"
#include "search/walk_locator.h"

namespace dustvane {

// The folders a search listed files in, and every folder above them up to
// its root, each by its name inside the folder above it and by its mark:
// what the platform tells that very folder by. What Delete holds the folders
// of a listed path against before it removes anything. It outlives the walk
// but holds nothing open, so a finished search keeps no file system busy.
// It grows with the folders on the way to listed files, never with those
// searched.
//
// A folder noted again under the same name in the same folder keeps the
// mark it was noted with first: the walk lists each folder once, so its
// lines are of the folder it found there first.
template <class Mark>
class WalkedFolders {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;
  // One folder on the way to a file: where it is noted, its name inside the
  // folder above it (for the root, the root's path) and its mark.
  struct Step {
    uint32_t at;
    PathView name;
    Mark mark;
  };

  // A new search from `root`, written as each of its paths begins: what the
  // last search walked is forgotten.
  void Begin(PathString root) {
    root_ = std::move(root);
    marks_.clear();
    byName_.clear();
  }
  const PathString& Root() const { return root_; }

  // Notes the folder `name` inside the noted folder `parent`, or the root
  // with kNone and an empty name; gives where it is noted.
  // A lack of memory on the way leaves the record as it was.
  uint32_t Add(uint32_t parent, PathView name, const Mark& mark) {
    marks_.push_back(mark);
    try {
      const auto index = static_cast<uint32_t>(marks_.size() - 1);
      const auto [at, added] = byName_.try_emplace({parent, PathString(name)}, index);
      if (!added) marks_.pop_back();
      return at->second;
    } catch (...) {
      marks_.pop_back();
      throw;
    }
  }
  const Mark& MarkAt(uint32_t folder) const { return marks_[folder]; }

  // The folders from the root down to `folder` (the root's path followed by
  // names, each ending in the separator), each as it was noted; nothing
  // where one of them was not. The steps' names are views into `folder`
  // (the root's into the record): they last as long as it does.
  std::optional<std::vector<Step>> WayTo(PathView folder) const {
    if (marks_.empty() || folder.substr(0, root_.size()) != root_) return std::nullopt;
    std::optional<uint32_t> at = Find(kNone, PathView());
    if (!at) return std::nullopt;
    std::vector<Step> way{{*at, root_, marks_[*at]}};
    PathView below = folder.substr(root_.size());
    if (!below.empty() && below.back() != kSeparator) return std::nullopt;
    while (!below.empty()) {
      const PathView name = TakeFolderName(below);
      at = name.empty() ? std::nullopt : Find(*at, name);
      if (!at) return std::nullopt;
      way.push_back({*at, name, marks_[*at]});
    }
    return way;
  }

 private:
  std::optional<uint32_t> Find(uint32_t parent, PathView name) const {
    const auto found = byName_.find({parent, PathString(name)});
    if (found == byName_.end()) return std::nullopt;
    return found->second;
  }

  PathString root_;
  std::vector<Mark> marks_;
  std::map<std::pair<uint32_t, PathString>, uint32_t> byName_;
};

}  // namespace dustvane
