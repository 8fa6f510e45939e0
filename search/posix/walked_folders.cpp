#include "search/posix/walked_folders.h"

#include <algorithm>

namespace dustvane {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

void WalkedFolders::Begin(const std::string& root) {
  root_ = root;
  folders_ = {};
  names_ = {};
  lastNoted_.clear();
  way_.clear();
}

void WalkedFolders::Note(const std::string& folder, const MarkOf& markOf) {
  if (!StartsWith(folder, root_)) return;
  if (way_.empty()) {
    const std::optional<FolderMark> mark = markOf(0);
    if (!mark) return;
    folders_.push_back({kNoParent, 0, 0, 0, *mark});
    way_.emplace_back(root_.size(), 0);
    lastNoted_ = root_;
  }
  // The walk goes depth first: the folders the two ways share, whole names
  // of them, are noted already.
  const size_t common = static_cast<size_t>(
      std::mismatch(lastNoted_.begin(), lastNoted_.end(), folder.begin(), folder.end()).first - lastNoted_.begin());
  while (way_.size() > 1 && way_.back().first > common) way_.pop_back();
  lastNoted_.resize(way_.back().first);
  for (size_t at = lastNoted_.size(), slash; (slash = folder.find('/', at)) != std::string::npos; at = slash + 1) {
    if (slash == at) return;  // no folder has an empty name
    const std::optional<FolderMark> mark = markOf(way_.size());
    if (!mark) return;
    folders_.push_back({way_.back().second, static_cast<uint32_t>(way_.size()), static_cast<uint32_t>(names_.size()),
                        static_cast<uint32_t>(slash - at), *mark});
    names_.append(folder, at, slash - at);
    lastNoted_.append(folder, at, slash + 1 - at);
    way_.emplace_back(lastNoted_.size(), static_cast<uint32_t>(folders_.size() - 1));
  }
}

std::optional<std::vector<WalkedFolders::Step>> WalkedFolders::WayTo(std::string_view folder) const {
  if (folders_.empty() || !StartsWith(folder, root_)) return std::nullopt;
  std::vector<std::string_view> names;
  for (size_t at = root_.size(); at < folder.size();) {
    const size_t slash = folder.find('/', at);
    if (slash == std::string_view::npos || slash == at) return std::nullopt;
    names.push_back(folder.substr(at, slash - at));
    at = slash + 1;
  }
  // The innermost folder: the one of its depth and name whose folders above
  // bear the other names. The latest noted, should a folder have been noted
  // twice.
  uint32_t found = 0;
  if (!names.empty()) {
    found = kNoParent;
    for (size_t i = folders_.size(); i-- > 1;) {
      if (Leads(static_cast<uint32_t>(i), names)) {
        found = static_cast<uint32_t>(i);
        break;
      }
    }
    if (found == kNoParent) return std::nullopt;
  }
  std::vector<Step> way(names.size() + 1);
  for (uint32_t at = found; at != kNoParent; at = folders_[at].parent) {
    const Folder& here = folders_[at];
    way[here.depth] = {here.depth == 0 ? std::string_view(root_) : NameOf(here), here.mark};
  }
  return way;
}

// Whether the folder at `at` is the one `names` lead to from the root.
bool WalkedFolders::Leads(uint32_t at, const std::vector<std::string_view>& names) const {
  if (folders_[at].depth != names.size()) return false;
  for (; at != 0; at = folders_[at].parent) {
    if (NameOf(folders_[at]) != names[folders_[at].depth - 1]) return false;
  }
  return true;
}

}  // namespace dustvane
