#include "search/posix/mount_map.h"

#include <algorithm>

namespace dustvane {

namespace {

std::string FolderOf(const std::string& point) { return point == "/" ? point : point + "/"; }

// The folder that holds `folder` ("/a/b/" -> "/a/"); "/" for "/".
std::string ParentFolder(const std::string& folder) {
  if (folder.size() <= 1) return folder;
  return folder.substr(0, folder.rfind('/', folder.size() - 2) + 1);
}

}  // namespace

MountMap::MountMap(const std::vector<Mount>& table) {
  for (const Mount& mount : table) systemById_.emplace(mount.id, IsSystemMount(mount));
  std::unordered_map<std::string, std::vector<const Mount*>> byFolder;
  for (const Mount& mount : table) byFolder[FolderOf(mount.point)].push_back(&mount);
  std::vector<std::string> folders;
  for (const auto& [folder, mounts] : byFolder) folders.push_back(folder);
  // Outer points first, so that the mount showing above each point is known.
  std::sort(folders.begin(), folders.end(),
            [](const std::string& a, const std::string& b) { return a.size() < b.size(); });

  std::unordered_map<std::string, const Mount*> top;
  for (const std::string& folder : folders) {
    const std::vector<const Mount*>& here = byFolder[folder];
    // The mount showing on the nearest folder above, which a mount here must
    // be attached to in order to show.
    const Mount* below = nullptr;
    if (folder != "/") {
      for (std::string above = ParentFolder(folder);; above = ParentFolder(above)) {
        const auto found = top.find(above);
        if (found != top.end()) {
          below = found->second;
          break;
        }
        if (above == "/") break;
      }
      if (below == nullptr) continue;
    }
    auto attachedTo = [&](const Mount* parent) -> const Mount* {
      for (const Mount* m : here) {
        if (parent != nullptr ? m->parentId == parent->id
                              : std::none_of(here.begin(), here.end(),
                                             [&](const Mount* other) { return other != m && other->id == m->parentId; })) {
          return m;
        }
      }
      return nullptr;
    };
    const Mount* shown = attachedTo(below);
    if (shown == nullptr) continue;  // hidden under a mount further out
    for (const Mount* above = attachedTo(shown); above != nullptr && above != shown; above = attachedTo(shown)) {
      shown = above;
    }
    top[folder] = shown;
    if (folder == "/") continue;
    shown_[folder] = systemById_[shown->id] ? MountAt::kSystem : MountAt::kOrdinary;
    holders_.insert(ParentFolder(folder));
  }
}

std::optional<bool> MountMap::IsSystem(int id) const {
  const auto found = systemById_.find(id);
  if (found == systemById_.end()) return std::nullopt;
  return found->second;
}

MountAt MountMap::At(const std::string& folder) const {
  const auto found = shown_.find(folder);
  return found == shown_.end() ? MountAt::kNone : found->second;
}

}  // namespace dustvane
