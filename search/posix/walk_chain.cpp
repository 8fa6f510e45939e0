#include "search/posix/walk_chain.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "search/posix/errno_failure.h"

namespace dustvane {

void WalkChain::Begin(FolderNode& root, const std::string& path, const MountMap& mounts) {
  levels_ = {&root};
  path_ = path;
  ends_ = {path.size()};
  firstOpen_ = 1;
  mounts_ = &mounts;
}

void WalkChain::Clear() {
  levels_.clear();
  ends_.clear();
  path_.clear();
  mounts_ = nullptr;
}

bool WalkChain::Holds(const FolderIdentity& identity) {
  for (FolderNode* node : levels_) {
    const FolderRecord* record = node->Record();
    if (record != nullptr && record->identity == identity) return true;
  }
  return false;
}

void WalkChain::Push(FolderNode& node, std::string_view name) {
  levels_.push_back(&node);
  path_.append(name);
  path_ += '/';
  ends_.push_back(path_.size());
}

void WalkChain::AddSeparator() {
  path_ += '/';
  ends_.back() = path_.size();
}

// Counts one more descriptor, giving back levels above level `keep` (never
// `keep` itself) for it while the budget is spent.
void WalkChain::TakeDescriptor(size_t keep) {
  while (!budget_.TryTake()) {
    if (!GiveBackOutermost(keep)) {
      budget_.TakeAnyway();
      return;
    }
  }
}

// The outermost open level gives back its descriptor.
bool WalkChain::GiveBackOutermost(size_t keep) {
  if (firstOpen_ >= keep || firstOpen_ >= levels_.size()) return false;
  Evict(firstOpen_);
  ++firstOpen_;
  return true;
}

// Gives back the descriptor of level `level`, keeping its record and its
// subvolume: they are read now, while the descriptor still holds the folder
// opened at first, so that a reopen can be checked against them.
void WalkChain::Evict(size_t level) {
  FolderNode& node = *levels_[level];
  node.Record();
  node.ReadSubvolume();
  budget_.Release(node.fd);
}

Result<WalkOpened> WalkChain::OpenChild(size_t parent, const std::string& name) {
  TakeDescriptor(parent);
  const WalkRules rules{*mounts_, isInside_};
  while (true) {
    Result<WalkOpened> opened = OpenSubFolderByWalkRules(levels_[parent]->fd.get(), name, rules);
    if (opened.ok() && opened.value().fd >= 0) return opened;
    const int error = opened.ok() ? 0 : opened.failure().number;
    // The process may have fewer descriptors left than the budget assumed.
    if ((error == EMFILE || error == ENFILE) && GiveBackOutermost(parent)) continue;
    budget_.GiveBack();
    return opened;
  }
}

MaybeFailure WalkChain::ReturnTo(size_t target) {
  if (!levels_[target]->fd.open() && !ClimbTo(target)) {
    PopTo(target);
    if (MaybeFailure failure = ReopenByNames(target)) return failure;
  }
  PopTo(target);
  return std::nullopt;
}

// Opens the given-back `target` through ".." of the levels below it, each
// checked to be the folder that was there, from firstOpen_ (all below it are
// open).
bool WalkChain::ClimbTo(size_t target) {
  PopTo(firstOpen_);
  while (levels_.size() - 1 > target) {
    const size_t at = levels_.size() - 1;
    if (levels_[at - 1]->fd.open()) {
      PopTo(at - 1);
      continue;
    }
    TakeDescriptor(at);
    Result<int> up = OpenParentFolder(levels_[at]->fd.get());
    if (!up.ok()) {
      budget_.GiveBack();
      return false;
    }
    PopTo(at - 1);
    if (!TakeIfSame(at - 1, Descriptor(up.value()))) return false;
  }
  firstOpen_ = target;
  return true;
}

// Opens the given-back `target` name by name from the nearest open level
// above it; every folder on the way must be the one that was there.
MaybeFailure WalkChain::ReopenByNames(size_t target) {
  size_t at = target;
  while (!levels_[at]->fd.open()) --at;
  for (++at; at <= target; ++at) {
    Result<WalkOpened> opened = OpenChild(at - 1, levels_[at]->name);
    // A folder replaced since it was given back, even by one moved here from
    // elsewhere, is not the one the walk was in.
    if (!opened.ok() || opened.value().fd < 0 || !TakeIfSame(at, Descriptor(opened.value().fd))) {
      PopTo(at - 1);
      firstOpen_ = std::max<size_t>(at - 1, 1);
      return opened.ok() ? ErrnoFailure(ENOENT) : opened.failure();
    }
    if (at - 1 > 0 && at - 1 < target) Evict(at - 1);
  }
  firstOpen_ = target;
  return std::nullopt;
}

// Lets go of every level below `level`, which becomes the innermost.
void WalkChain::PopTo(size_t level) {
  while (levels_.size() > level + 1) {
    levels_.pop_back();
    ends_.pop_back();
    passed_(*levels_.back());
  }
  firstOpen_ = std::min(firstOpen_, levels_.size());
  path_.resize(ends_.back());
}

// Makes `fd`, already counted, the descriptor of level `level` when it holds
// the folder the level recorded before; otherwise lets go of it.
bool WalkChain::TakeIfSame(size_t level, Descriptor fd) {
  FolderNode& node = *levels_[level];
  const std::optional<FolderRecord> left = node.record;
  node.fd = std::move(fd);
  node.record.reset();
  const FolderRecord* now = node.Record();
  if (left && now != nullptr && now->identity == left->identity) return true;
  node.record = left;
  budget_.Release(node.fd);
  return false;
}

}  // namespace dustvane
