// The descriptors a walk's nodes hold: how many, which the chain gives back
// for room, and how it comes back up to a folder it gave back.

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "search/posix/errno_failure.h"
#include "search/posix/folder_walk.h"

namespace dustvane {

namespace {

// What the rest of the program may need open while a walk runs: the standard
// streams, the window system's connection, a file being removed.
constexpr size_t kKeptForTheProgram = 10;
// Past this, more open folders save nothing worth having: a reopen costs one
// openat per level and happens at most once per this many levels.
constexpr size_t kMostUseful = 256;
// The root of the walk, which stays open, a folder and the one opened in it.
constexpr size_t kFewest = 3;

}  // namespace

void FolderWalk::SizeBudget() {
  struct rlimit limit;
  const bool known = getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY;
  const size_t open = std::min(kMostUseful * 2 + kKeptForTheProgram, known ? limit.rlim_cur : SIZE_MAX);
  // Half of what is left, so that the program can still open files itself;
  // descriptors handed to helpers to close may briefly take as many again.
  limit_ = std::clamp(open > kKeptForTheProgram ? (open - kKeptForTheProgram) / 2 : 0, kFewest, kMostUseful);
}

// Counts one more descriptor when that leaves `spare` of the budget free.
bool FolderWalk::TryTake(size_t spare) {
  if (open_ + spare >= limit_) return false;
  ++open_;
  return true;
}

// Counts one more descriptor, giving back chain levels above level `keep`
// (never `keep` itself) for it while the budget is spent.
void FolderWalk::TakeDescriptor(size_t keep) {
  while (!TryTake()) {
    if (!GiveBackOutermost(keep)) {
      ++open_;  // the fewest a walk can work with, whatever the budget says
      return;
    }
  }
}

// The outermost open level that no request opens from gives back its
// descriptor; one a request opens from stays open until it is answered.
bool FolderWalk::GiveBackOutermost(size_t keep) {
  for (size_t level = firstOpen_; level < keep && level < chain_.size(); ++level) {
    if (chain_[level]->pins > 0) continue;
    Evict(level);
    firstOpen_ = level + 1;
    return true;
  }
  return false;
}

// Gives back the descriptor of chain level `level`, keeping its record and
// Delete's proof of it: they are taken now, while the descriptor still holds
// the folder opened at first, so that a reopen can be checked against them.
void FolderWalk::Evict(size_t level) {
  FolderNode& node = *chain_[level];
  Record(node);
  TakeProof(node);
  Release(node);
}

// Lets go of the node's descriptor: a helper closes it where one can, so that
// the walk does not wait for the close. Those waiting to be closed stay
// within what the budget leaves the process beside it.
void FolderWalk::Release(FolderNode& node) {
  if (!node.fd.open()) return;
  const int fd = node.fd.release();
  if (queue_ == nullptr || !queue_->CloseLater(fd, limit_ / 2)) close(fd);
  GiveBack();
}

// The sub-folder `name` of chain level `parent`, opened by the walk's rules;
// -1 where they keep it out.
Result<WalkOpened> FolderWalk::OpenChild(size_t parent, const std::string& name) {
  TakeDescriptor(parent);
  const WalkRules rules{*mounts_, isInside_};
  while (true) {
    Result<WalkOpened> opened = OpenSubFolderByWalkRules(chain_[parent]->fd.get(), name, rules);
    if (opened.ok() && opened.value().fd >= 0) return opened;
    const int error = opened.ok() ? 0 : opened.failure().number;
    // The process may have fewer descriptors left than the budget assumed.
    if ((error == EMFILE || error == ENFILE) && GiveBackOutermost(parent)) continue;
    GiveBack();
    return opened;
  }
}

// Makes chain level `target` the innermost, open.
MaybeFailure FolderWalk::ReturnTo(size_t target) {
  if (!chain_[target]->fd.open() && !ClimbTo(target)) {
    PopTo(target);
    if (MaybeFailure failure = ReopenByNames(target)) return failure;
  }
  PopTo(target);
  return std::nullopt;
}

// Opens the given-back `target` through ".." of the levels below it, each
// checked to be the folder that was there: from firstOpen_ (all below it are
// open), through levels kept open for their requests.
bool FolderWalk::ClimbTo(size_t target) {
  PopTo(firstOpen_);
  while (chain_.size() - 1 > target) {
    const size_t at = chain_.size() - 1;
    if (chain_[at - 1]->fd.open()) {
      PopTo(at - 1);
      continue;
    }
    TakeDescriptor(at);
    Result<int> up = OpenParentFolder(chain_[at]->fd.get());
    if (!up.ok()) {
      GiveBack();
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
MaybeFailure FolderWalk::ReopenByNames(size_t target) {
  size_t at = target;
  while (!chain_[at]->fd.open()) --at;
  for (++at; at <= target; ++at) {
    Result<WalkOpened> opened = OpenChild(at - 1, chain_[at]->name);
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

// Lets go of every chain level below `level`, which becomes the innermost.
void FolderWalk::PopTo(size_t level) {
  while (chain_.size() > level + 1) {
    chain_.pop_back();
    ends_.pop_back();
    PassChild(*chain_.back());
  }
  firstOpen_ = std::min(firstOpen_, chain_.size());
  path_.resize(ends_.back());
}

// Makes `fd`, already counted, the descriptor of chain level `level` when it
// holds the folder the level recorded before; otherwise lets go of it.
bool FolderWalk::TakeIfSame(size_t level, Descriptor fd) {
  FolderNode& node = *chain_[level];
  const std::optional<FolderRecord> left = node.record;
  node.fd = std::move(fd);
  node.record.reset();
  const FolderRecord* now = Record(node);
  if (left && now != nullptr && now->identity == left->identity) return true;
  node.record = left;
  Release(node);
  return false;
}

}  // namespace dustvane
