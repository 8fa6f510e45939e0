#include "search/posix/folder_chain.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "search/posix/errno_failure.h"
#include "search/posix/folder_opener.h"
#include "search/posix/mount_table.h"

namespace dustvane {

namespace {

// The path the kernel gives for an open folder, from the system's root; the
// empty string where it cannot tell.
std::string KernelPath(int fd) {
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  std::string target(4096, '\0');
  const ssize_t length = readlink(link.c_str(), target.data(), target.size());
  if (length <= 0 || static_cast<size_t>(length) >= target.size() || target[0] != '/') return std::string();
  target.resize(static_cast<size_t>(length));
  if (target.size() > 1) target += '/';
  return target;
}

}  // namespace

FolderChain::FolderChain(DescriptorBudget& budget)
    : budget_(budget), isInside_([this](const FolderIdentity& identity) { return Holds(identity); }) {}

Result<FolderChain::Step> FolderChain::Open(const std::string& folder) {
  if (!levels_.empty()) {
    // Keep the deepest level whose path begins `folder`.
    const size_t common =
        static_cast<size_t>(std::mismatch(path_.begin(), path_.end(), folder.begin(), folder.end()).first -
                            path_.begin());
    const auto kept = std::upper_bound(levels_.begin(), levels_.end(), common,
                                       [](size_t length, const Level& level) { return length < level.end; });
    if (kept == levels_.begin()) {
      Close();
    } else if (MaybeFailure failure = ReturnTo(static_cast<size_t>(kept - levels_.begin()) - 1)) {
      return *failure;
    }
  }
  Step step;
  if (levels_.empty()) {
    if (MaybeFailure failure = OpenRoot(folder)) return *failure;
    step.startsWalk = step.openedNow = true;
  }
  size_t pos = path_.size();
  while (pos < folder.size()) {
    size_t slash = folder.find('/', pos);
    if (slash == std::string::npos) slash = folder.size() - 1;
    path_.append(folder, pos, slash + 1 - pos);
    if (slash == pos) {
      levels_.back().end = path_.size();  // a doubled "/" belongs to the folder before it
    } else {
      Result<bool> entered = Descend(folder.substr(pos, slash - pos), path_.size());
      if (!entered.ok() || !entered.value()) {
        path_.resize(levels_.back().end);
        if (!entered.ok()) return entered.failure();
        step.closed = true;
        return step;
      }
      step.openedNow = true;
    }
    pos = slash + 1;
  }
  step.fd = levels_.back().fd;
  return step;
}

void FolderChain::Close() {
  for (Level& level : levels_) Release(level);
  levels_.clear();
  path_.clear();
  firstOpen_ = 0;
  mounts_.reset();
  listing_.Clear();
}

std::string_view FolderChain::Name(size_t level) const {
  const size_t start = levels_[level - 1].end;
  return std::string_view(path_).substr(start, path_.find('/', start) - start);
}

const FolderRecord* FolderChain::Record(size_t level) {
  Level& at = levels_[level];
  if (!at.record && at.fd >= 0) {
    Result<FolderRecord> record = ReadRecord(at.fd);
    if (record.ok()) at.record = record.value();
  }
  return at.record ? &*at.record : nullptr;
}

std::string FolderChain::AbsolutePath(const std::string& folder) const {
  if (levels_.empty() || absoluteRoot_.empty() || folder.compare(0, levels_[0].end, path_, 0, levels_[0].end) != 0) {
    return folder;
  }
  return absoluteRoot_ + folder.substr(levels_[0].end);
}

bool FolderChain::Holds(const FolderIdentity& identity) {
  for (size_t level = 0; level < levels_.size(); ++level) {
    const FolderRecord* record = Record(level);
    if (record != nullptr && record->identity == identity) return true;
  }
  return false;
}

MaybeFailure FolderChain::OpenRoot(const std::string& folder) {
  budget_.Resize();
  Result<int> fd = OpenFolderAtPath(folder);
  if (!fd.ok()) return fd.failure();
  budget_.Take();
  path_ = folder;
  levels_.push_back({folder.size(), fd.value(), std::nullopt});
  firstOpen_ = 1;
  absoluteRoot_ = KernelPath(fd.value());
  mounts_ = std::make_shared<const MountMap>(ReadMountTable());
  return std::nullopt;
}

// Opens the sub-folder `name` of the innermost level as a new innermost;
// false where the walk's rules keep it out.
Result<bool> FolderChain::Descend(const std::string& name, size_t end) {
  Result<int> fd = OpenChildOf(levels_.size() - 1, name);
  if (!fd.ok()) return fd.failure();
  if (fd.value() < 0) return false;
  levels_.push_back({end, fd.value(), std::nullopt});
  return true;
}

// Makes `target` the innermost level, open.
MaybeFailure FolderChain::ReturnTo(size_t target) {
  if (levels_[target].fd < 0 && !ClimbTo(target)) {
    ReleaseBelow(target);
    if (MaybeFailure failure = ReopenByNames(target)) return failure;
  }
  ReleaseBelow(target);
  return std::nullopt;
}

// Opens the given-back `target` through ".." of the open levels below it,
// each checked to be the folder that was there. The open levels below the
// root run unbroken from firstOpen_ to the innermost, so the climb starts
// there, after the levels below it are given back.
bool FolderChain::ClimbTo(size_t target) {
  ReleaseBelow(firstOpen_);
  for (size_t at = firstOpen_; at > target; --at) {
    TakeDescriptor(at);
    Result<int> up = OpenParentFolder(levels_[at].fd);
    if (!up.ok()) {
      budget_.GiveBack();
      return false;
    }
    Release(levels_[at]);
    firstOpen_ = at - 1;
    if (!TakeIfSame(at - 1, up.value())) {
      firstOpen_ = at;
      return false;
    }
  }
  return true;
}

// Opens the given-back `target` name by name from the nearest open level
// above it; every folder on the way must be the one that was there.
MaybeFailure FolderChain::ReopenByNames(size_t target) {
  size_t at = target;
  while (levels_[at].fd < 0) --at;
  for (++at; at <= target; ++at) {
    Result<int> fd = OpenChildOf(at - 1, std::string(Name(at)));
    // A folder replaced since it was given back, even by one moved here from
    // elsewhere, is not the one the walk was in.
    if (!fd.ok() || fd.value() < 0 || !TakeIfSame(at, fd.value())) {
      ReleaseBelow(at - 1);
      firstOpen_ = std::max<size_t>(at - 1, 1);
      return fd.ok() ? ErrnoFailure(ENOENT) : fd.failure();
    }
    if (at - 1 > 0 && at - 1 < target) CloseLevel(at - 1);
  }
  firstOpen_ = target;
  return std::nullopt;
}

// Lets go of every level below `level`, which becomes the innermost.
void FolderChain::ReleaseBelow(size_t level) {
  while (levels_.size() > level + 1) {
    Release(levels_.back());
    levels_.pop_back();
  }
  firstOpen_ = std::min(firstOpen_, levels_.size());
  path_.resize(levels_.back().end);
}

// The sub-folder `name` of level `parent`, opened by the walk's rules; -1
// where they keep it out.
Result<int> FolderChain::OpenChildOf(size_t parent, const std::string& name) {
  TakeDescriptor(parent);
  const WalkRules rules{*mounts_, isInside_};
  while (true) {
    Result<WalkOpened> opened = OpenSubFolderByWalkRules(levels_[parent].fd, name, rules);
    if (opened.ok() && opened.value().fd >= 0) return opened.value().fd;
    const int error = opened.ok() ? 0 : opened.failure().number;
    // The process may have fewer descriptors left than the budget assumed.
    if ((error == EMFILE || error == ENFILE) && GiveBackOutermost(parent)) continue;
    budget_.GiveBack();
    if (!opened.ok()) return opened.failure();
    return -1;
  }
}

// Counts one more descriptor, giving back levels above level `keep` (never
// `keep` itself) for it while the budget is spent.
void FolderChain::TakeDescriptor(size_t keep) {
  while (!budget_.TryTake()) {
    if (!GiveBackOutermost(keep)) {
      budget_.Take();  // the fewest a walk can work with
      return;
    }
  }
}

bool FolderChain::GiveBackOutermost(size_t keep) {
  if (firstOpen_ >= keep || firstOpen_ >= levels_.size()) return false;
  CloseLevel(firstOpen_);
  ++firstOpen_;
  return true;
}

void FolderChain::CloseLevel(size_t level) {
  // Its record is read now, while the descriptor still holds the folder
  // opened at the start, so that a reopen can be checked against it.
  Record(level);
  Release(levels_[level]);
}

bool FolderChain::TakeIfSame(size_t at, int fd) {
  Level& level = levels_[at];
  const std::optional<FolderRecord> left = level.record;
  level.fd = fd;
  level.record.reset();
  const FolderRecord* now = Record(at);
  if (left && now != nullptr && now->identity == left->identity) return true;
  level.record = left;
  Release(level);
  return false;
}

void FolderChain::Release(Level& level) {
  if (level.fd < 0) return;
  close(level.fd);
  level.fd = -1;
  budget_.GiveBack();
}

}  // namespace dustvane
