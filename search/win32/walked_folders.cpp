#include "search/win32/walked_folders.h"

namespace dustvane {

void WalkedFolders::Begin(PathString root) {
  root_ = std::move(root);
  volume_.reset();
  fileIds_.clear();
  byName_.clear();
}

uint32_t WalkedFolders::Add(uint32_t parent, PathView name, uint64_t fileId) {
  const auto index = static_cast<uint32_t>(fileIds_.size());
  fileIds_.push_back(fileId);
  try {
    const auto [place, added] = byName_.try_emplace({parent, PathString(name)}, index);
    if (!added) fileIds_.pop_back();
    return place->second;
  } catch (...) {
    fileIds_.pop_back();
    throw;
  }
}

std::optional<uint32_t> WalkedFolders::Find(uint32_t parent, PathView name) const {
  const auto place = byName_.find({parent, PathString(name)});
  if (place == byName_.end()) return std::nullopt;
  return place->second;
}

}  // namespace dustvane
