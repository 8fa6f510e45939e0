#include "search/posix/read_ahead_plan.h"

#include <unistd.h>

namespace dustvane {

namespace {

// Compares two places in the walk's order, each given as the sub-folder
// `ai` of `a` (and `bi` of `b`): negative when the first comes first. Both
// are walked up to their nearest common folder; if one place lies inside the
// other, the outer one comes first, as depth first has it.
int ComparePlaces(const AheadFolder* a, uint32_t ai, const AheadFolder* b, uint32_t bi) {
  int inside = 0;
  while (a->depth > b->depth) {
    ai = a->index;
    a = a->parent.get();
    inside = 1;
  }
  while (b->depth > a->depth) {
    bi = b->index;
    b = b->parent.get();
    inside = -1;
  }
  while (a != b) {
    ai = a->index;
    a = a->parent.get();
    bi = b->index;
    b = b->parent.get();
  }
  if (ai != bi) return ai < bi ? -1 : 1;
  return inside;
}

int CompareFolders(const AheadFolder& a, const AheadFolder& b) {
  if (a.parent == nullptr || b.parent == nullptr) {
    return (a.parent != nullptr ? 1 : 0) - (b.parent != nullptr ? 1 : 0);
  }
  return ComparePlaces(a.parent.get(), a.index, b.parent.get(), b.index);
}

}  // namespace

HeldFolder::~HeldFolder() {
  close(fd_);
  budget_.GiveBack();
  held_.fetch_sub(1, std::memory_order_relaxed);
}

bool ReadAheadPlan::ByPlace::operator()(const AheadFolderPtr& a, const AheadFolderPtr& b) const {
  return CompareFolders(*a, *b) < 0;
}

bool ReadAheadPlan::ByNextSubFolder::operator()(const AheadFolderPtr& a, const AheadFolderPtr& b) const {
  const int order = ComparePlaces(a.get(), static_cast<uint32_t>(a->next), b.get(), static_cast<uint32_t>(b->next));
  return order != 0 ? order < 0 : a.get() < b.get();
}

void ReadAheadPlan::Clear() {
  for (const AheadFolderPtr& folder : ahead_) DropListing(*folder);
  aheadByPath_.clear();
  ahead_.clear();
  waiting_.clear();
  walkAt_.reset();
}

void ReadAheadPlan::AddPassed(const AheadFolderPtr& folder) {
  folder->listing.reset();  // the walk has listed it already
  walkAt_ = folder;
  Wait(folder);
}

void ReadAheadPlan::AddListed(const AheadFolderPtr& folder) {
  if (walkAt_ != nullptr && CompareFolders(*folder, *walkAt_) <= 0) return;
  if (!ahead_.insert(folder).second) {
    folder->listing.reset();
  } else {
    aheadByPath_.emplace(folder->path, folder);
    if (folder->listing && listingBytes_ + folder->listing->Bytes() > kMostListingBytes) folder->listing.reset();
    if (folder->listing) listingBytes_ += folder->listing->Bytes();
  }
  Wait(folder);
}

std::optional<FolderListing> ReadAheadPlan::TakeListing(AheadFolder& folder) {
  std::optional<FolderListing> taken;
  if (folder.listing) {
    listingBytes_ -= folder.listing->Bytes();
    taken = std::move(folder.listing);
    folder.listing.reset();
  }
  return taken;
}

void ReadAheadPlan::DropListing(AheadFolder& folder) {
  if (folder.listing) {
    listingBytes_ -= folder.listing->Bytes();
    folder.listing.reset();
  }
}

// Queues the folder's remaining sub-folders, or lets go of it when none is
// left, so that it is held open only while it is needed.
void ReadAheadPlan::Wait(const AheadFolderPtr& folder) {
  if (folder->next < folder->subFolders.size()) {
    waiting_.insert(folder);
  } else {
    folder->open.reset();
    std::vector<std::string>().swap(folder->subFolders);
  }
}

AheadTask ReadAheadPlan::TakeTask() {
  AheadFolderPtr folder = *waiting_.begin();
  waiting_.erase(waiting_.begin());
  const uint32_t index = static_cast<uint32_t>(folder->next++);
  AheadTask task{folder, folder->open, folder->subFolders[index], index};
  Wait(folder);
  return task;
}

AheadFolderPtr ReadAheadPlan::WalkReaches(std::string_view path) {
  const auto found = aheadByPath_.find(path);
  if (found == aheadByPath_.end()) return nullptr;
  walkAt_ = found->second;
  const AheadFolder& here = *walkAt_;

  while (!ahead_.empty() && CompareFolders(**ahead_.begin(), here) <= 0) {
    AheadFolder& passed = **ahead_.begin();
    // The walk lists a folder it skipped itself, if it ever comes back.
    if (&passed != &here) DropListing(passed);
    aheadByPath_.erase(passed.path);
    ahead_.erase(ahead_.begin());
  }
  while (!waiting_.empty()) {
    AheadFolderPtr folder = *waiting_.begin();
    if (ComparePlaces(folder.get(), static_cast<uint32_t>(folder->next), here.parent.get(), here.index) >= 0) break;
    waiting_.erase(waiting_.begin());
    // Of a folder the walk is inside, the sub-folders after the one it is in
    // are still to come; any other folder's are all behind it.
    const AheadFolder* inner = &here;
    while (inner->depth > folder->depth + 1) inner = inner->parent.get();
    folder->next = inner->parent.get() == folder.get() ? inner->index + 1 : folder->subFolders.size();
    Wait(folder);
  }
  return walkAt_;
}

}  // namespace dustvane
