#include "search/win32/walked_folder_ids.h"

namespace dustvane {

void WalkedFolderIds::Begin(PathString root) {
  root_ = std::move(root);
  volume_.reset();
  identities_.clear();
  byName_.clear();
  lossyNames_.clear();
}

uint32_t WalkedFolderIds::Add(uint32_t parent, PathView name, FolderIdentity identity) {
  const auto index = static_cast<uint32_t>(identities_.size());
  identities_.push_back(identity);
  try {
    const auto [place, added] = byName_.try_emplace({parent, PathString(name)}, index);
    if (!added) identities_.pop_back();
    return place->second;
  } catch (...) {
    identities_.pop_back();
    throw;
  }
}

std::optional<uint32_t> WalkedFolderIds::Find(uint32_t parent, PathView name) const {
  const auto place = byName_.find({parent, PathString(name)});
  if (place == byName_.end()) return std::nullopt;
  return place->second;
}

void WalkedFolderIds::AddLossyName(uint32_t folder, PathView name, uint64_t fileId) {
  lossyNames_.insert_or_assign({folder, PathString(name)}, fileId);
}

std::optional<uint64_t> WalkedFolderIds::LossyNameFileId(uint32_t folder, PathView name) const {
  const auto place = lossyNames_.find({folder, PathString(name)});
  if (place == lossyNames_.end()) return std::nullopt;
  return place->second;
}

}  // namespace dustvane
