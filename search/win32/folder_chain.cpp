#include "search/win32/folder_chain.h"

#include "search/win32/api_path.h"
#include "search/win32/entry_open.h"
#include "search/win32/folder_identity.h"
#include "search/walk_locator.h"
#include "search/win32/win32_failure.h"

namespace dustvane {

Result<HANDLE> FolderChain::Reach(const PathString& folder) {
  const auto endOf = [this](size_t level) { return levels_[level].end; };
  const WalkPlace place = LocateInWalk(path_, levels_.size(), endOf, folder);
  levels_.erase(levels_.begin() + static_cast<ptrdiff_t>(place.levels), levels_.end());
  if (levels_.empty()) {
    path_.clear();
    const Result<PathString> exact = ApiPath(folder);
    if (!exact.ok()) return exact.failure();
    Result<OwnedHandle> base = OpenFolderAt(exact.value());
    if (!base.ok()) return base.failure();
    path_ = folder;
    levels_.emplace_back(path_.size(), std::move(base.value()));
    return Handle(0);
  }
  path_.resize(levels_.back().end);
  for (PathView below = place.below; !below.empty();) {
    const PathView name = TakeFolderName(below);
    Result<OwnedHandle> opened = OpenFolderIn(levels_.back().handle.get(), name);
    if (!opened.ok()) return opened.failure();
    if (!IsListedFolder(levels_.back(), name, opened.value().get())) return Win32Failure(ERROR_FILE_NOT_FOUND);
    path_.append(name);
    path_ += kSeparator;
    levels_.emplace_back(path_.size(), std::move(opened.value()));
  }
  return levels_.back().handle.get();
}

void FolderChain::NoteListedFolder(PathView name, uint64_t fileId) {
  levels_.back().listed.push_back(ListedFolder{PathString(name), fileId});
}

void FolderChain::ForgetListedFolders() {
  levels_.back().listed.clear();
  levels_.back().nextListed = 0;
}

// Whether `opened`, just opened by `name` inside `parent`, is the folder
// the parent's listing showed under that name. A name the listing did not
// show (a folder reached without its parent's directory pass) is asked no
// more than to be no reparse point.
bool FolderChain::IsListedFolder(Level& parent, PathView name, HANDLE opened) {
  if (IsReparsePoint(opened)) return false;
  const size_t count = parent.listed.size();
  for (size_t k = 0; k < count; ++k) {
    const size_t i = (parent.nextListed + k) % count;
    if (parent.listed[i].name != name) continue;
    parent.nextListed = i + 1;
    const uint64_t listedId = parent.listed[i].fileId;
    return IsNoFileId(listedId) || FileIdOf(opened) == listedId;
  }
  return true;
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

}  // namespace dustvane
