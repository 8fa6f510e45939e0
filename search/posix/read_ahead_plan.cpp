#include "search/posix/read_ahead_plan.h"

#include <unistd.h>

#include <functional>

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

// Whether `folder` is `outer` or lies below it.
bool IsInside(const AheadFolder* folder, const AheadFolder& outer) {
  while (folder != nullptr && folder->depth > outer.depth) folder = folder->parent.get();
  return folder == &outer;
}

}  // namespace

bool HelperDescriptors::Take() {
  if (held_.load(std::memory_order_relaxed) >= most_ || !budget_->TryTake()) return false;
  held_.fetch_add(1, std::memory_order_relaxed);
  return true;
}

void HelperDescriptors::GiveBack() {
  held_.fetch_sub(1, std::memory_order_relaxed);
  budget_->GiveBack();
}

HeldFolder::~HeldFolder() {
  close(fd_);
  descriptors_->GiveBack();
}

size_t ReadAheadPlan::KeyHash::operator()(const Key& key) const {
  return std::hash<std::string_view>()(key.name) ^ (static_cast<size_t>(key.parent.inode) * 0x9e3779b97f4a7c15u) ^
         static_cast<size_t>(key.parent.device);
}

bool ReadAheadPlan::ByPlace::operator()(const AheadFolderPtr& a, const AheadFolderPtr& b) const {
  return CompareFolders(*a, *b) < 0;
}

bool ReadAheadPlan::ByNextSubFolder::operator()(const AheadFolderPtr& a, const AheadFolderPtr& b) const {
  const int order = ComparePlaces(a.get(), static_cast<uint32_t>(a->next), b.get(), static_cast<uint32_t>(b->next));
  return order != 0 ? order < 0 : a.get() < b.get();
}

ReadAheadPlan::Key ReadAheadPlan::KeyOf(const AheadFolder& folder) {
  return {folder.parent != nullptr ? folder.parent->record.identity : FolderIdentity{}, folder.name};
}

void ReadAheadPlan::Clear() {
  for (const AheadFolderPtr& folder : ahead_) DropListing(*folder);
  for (const AheadFolderPtr& folder : waiting_) Forget(*folder);
  if (walkAt_ != nullptr) DropListing(*walkAt_);
  byKey_.clear();
  ahead_.clear();
  waiting_.clear();
  walkAt_.reset();
  skipped_.clear();
  // Folders still in a helper's hand belong to the plan that is gone: they
  // are dropped on delivery and count for nothing here.
  listingBytes_ = 0;
  nameBytes_ = 0;
}

void ReadAheadPlan::AddPassed(const AheadFolderPtr& folder) {
  CountNames(*folder);
  walkAt_ = folder;
  Wait(folder);
}

void ReadAheadPlan::AddListed(const AheadFolderPtr& folder, const FolderListing* entries) {
  if (Skipped(*folder) || (walkAt_ != nullptr && CompareFolders(*folder, *walkAt_) <= 0) ||
      !ahead_.insert(folder).second) {
    folder->open.reset();
    return;
  }
  byKey_.emplace(KeyOf(*folder), folder);
  if (entries != nullptr && listingBytes_ + entries->UsedBytes() <= kMostListingBytes) {
    folder->listing = entries->CompactCopy();
    folder->listingBytes = folder->listing->Bytes();
    listingBytes_ += folder->listingBytes;
  }
  CountNames(*folder);
  Wait(folder);
}

// The folder's sub-folder names count in the plan's bytes; past the most it
// keeps, they are dropped, and the helpers read nothing below the folder
// (the walk reads it alone, and the helpers start again where it is).
void ReadAheadPlan::CountNames(AheadFolder& folder) {
  const size_t bytes = folder.subFolders.Bytes();
  if (nameBytes_ + bytes > kMostNameBytes) {
    folder.subFolders = FolderListing();
    return;
  }
  folder.nameBytes = bytes;
  nameBytes_ += bytes;
}

AheadTask ReadAheadPlan::TakeTask() {
  AheadFolderPtr folder = *waiting_.begin();
  waiting_.erase(waiting_.begin());
  FolderListing::Entry entry;
  folder->subFolders.Next(folder->nextAt, entry);
  const uint32_t index = static_cast<uint32_t>(folder->next++);
  AheadTask task{folder, folder->open, std::string(entry.name), index};
  Wait(folder);
  return task;
}

AheadFolderPtr ReadAheadPlan::WalkReaches(const FolderIdentity& parent, std::string_view name) {
  const auto found = byKey_.find(Key{parent, name});
  if (found == byKey_.end()) return nullptr;
  skipped_.clear();  // all of them lie behind the walk now
  walkAt_ = found->second;
  const AheadFolder& here = *walkAt_;

  while (!ahead_.empty() && CompareFolders(**ahead_.begin(), here) <= 0) {
    AheadFolder& passed = **ahead_.begin();
    // The walk lists a folder it skipped itself, if it ever comes back.
    if (&passed != &here) DropListing(passed);
    byKey_.erase(KeyOf(passed));
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
    const size_t next = inner->parent.get() == folder.get() ? inner->index + 1 : folder->subFolders.size();
    FolderListing::Entry entry;
    while (folder->next < next && folder->subFolders.Next(folder->nextAt, entry)) ++folder->next;
    folder->next = next;
    Wait(folder);
  }
  return walkAt_;
}

std::optional<FolderListing> ReadAheadPlan::TakeListing(AheadFolder& folder) {
  std::optional<FolderListing> taken;
  if (folder.listing) {
    taken = std::move(folder.listing);
    DropListing(folder);
  }
  return taken;
}

void ReadAheadPlan::SkipBelow(const FolderIdentity& parent, std::string_view name) {
  const auto found = byKey_.find(Key{parent, name});
  if (found == byKey_.end()) {
    skipped_.emplace_back(parent, std::string(name));
  } else {
    DropBelow(found->second);
  }
}

bool ReadAheadPlan::Skipped(const AheadFolder& folder) const {
  if (folder.abandoned || (folder.parent != nullptr && folder.parent->abandoned)) return true;
  const Key key = KeyOf(folder);
  for (const auto& [parent, name] : skipped_) {
    if (parent == key.parent && name == key.name) return true;
  }
  return false;
}

// Lets go of everything the plan holds below `folder`, and of its own
// sub-folders still to be read.
void ReadAheadPlan::DropBelow(const AheadFolderPtr& folder) {
  folder->abandoned = true;
  for (auto it = ahead_.upper_bound(folder); it != ahead_.end() && IsInside(it->get(), *folder);) {
    DropListing(**it);
    byKey_.erase(KeyOf(**it));
    it = ahead_.erase(it);
  }
  for (auto it = waiting_.begin(); it != waiting_.end();) {
    if (IsInside(it->get(), *folder)) {
      AheadFolderPtr inside = *it;
      it = waiting_.erase(it);
      Forget(*inside);
    } else {
      ++it;
    }
  }
}

// Queues the folder's remaining sub-folders, or lets go of it when none is
// left, so that it is held open only while it is needed.
void ReadAheadPlan::Wait(const AheadFolderPtr& folder) {
  if (folder->next < folder->subFolders.size()) {
    waiting_.insert(folder);
  } else {
    folder->open.reset();
    DropNames(*folder);
  }
}

void ReadAheadPlan::Forget(AheadFolder& folder) {
  DropListing(folder);
  DropNames(folder);
  folder.open.reset();
}

void ReadAheadPlan::DropListing(AheadFolder& folder) {
  listingBytes_ -= folder.listingBytes;
  folder.listingBytes = 0;
  folder.listing.reset();
}

void ReadAheadPlan::DropNames(AheadFolder& folder) {
  nameBytes_ -= folder.nameBytes;
  folder.nameBytes = 0;
  folder.subFolders = FolderListing();
}

}  // namespace dustvane
