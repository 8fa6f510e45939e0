#include "search/win32/folder_chain.h"

#include "search/win32/api_path.h"
#include "search/win32/entry_open.h"

namespace dustvane {

Result<HANDLE> FolderChain::Reach(const PathString& folder) {
  levels_.erase(levels_.begin() + static_cast<ptrdiff_t>(LevelsLeadingTo(folder)), levels_.end());
  if (levels_.empty()) {
    path_.clear();
    const Result<PathString> exact = ApiPath(folder);
    if (!exact.ok()) return exact.failure();
    Result<OwnedHandle> base = OpenFolderAt(exact.value());
    if (!base.ok()) return base.failure();
    path_ = folder;
    levels_.push_back(Level{path_.size(), std::move(base.value())});
    return Handle(0);
  }
  path_.resize(levels_.back().end);
  while (path_.size() < folder.size()) {
    const size_t end = folder.find(kSeparator, path_.size());
    if (end == PathString::npos) break;
    const PathView name = PathView(folder).substr(path_.size(), end - path_.size());
    Result<OwnedHandle> below = OpenFolderIn(levels_.back().handle.get(), name);
    if (!below.ok()) return below.failure();
    path_.append(name);
    path_ += kSeparator;
    levels_.push_back(Level{path_.size(), std::move(below.value())});
  }
  return levels_.back().handle.get();
}

void FolderChain::Close() {
  levels_.clear();
  path_.clear();
}

PathView FolderChain::Name(size_t level) const {
  if (level == 0) return PathView();
  const size_t start = levels_[level - 1].end;
  return PathView(path_).substr(start, levels_[level].end - 1 - start);
}

// How many levels, from the base down, have paths that `folder` begins with.
size_t FolderChain::LevelsLeadingTo(const PathString& folder) const {
  size_t kept = 0;
  while (kept < levels_.size() && levels_[kept].end <= folder.size() &&
         folder.compare(0, levels_[kept].end, path_, 0, levels_[kept].end) == 0) {
    ++kept;
  }
  return kept;
}

}  // namespace dustvane
