#include "search/posix/walked_folders.h"

namespace dustvane {

void WalkedFolders::Begin(const std::string& root) {
  root_ = root;
  watches_.Reset();
  folders_ = {};
  names_ = {};
}

uint32_t WalkedFolders::Add(uint32_t parent, std::string_view name, const FolderMark& mark) {
  const bool isRoot = parent == kNoParent;
  folders_.push_back({parent, isRoot ? 0 : folders_[parent].depth + 1, static_cast<uint32_t>(names_.size()),
                      isRoot ? 0 : static_cast<uint32_t>(name.size()), mark});
  if (!isRoot) names_.append(name);
  return static_cast<uint32_t>(folders_.size() - 1);
}

std::optional<std::vector<WalkedFolders::Step>> WalkedFolders::WayTo(std::string_view folder) const {
  if (folders_.empty() || !folder.starts_with(root_)) return std::nullopt;
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
