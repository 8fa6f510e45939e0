#include "search/posix/folder_chain.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "search/posix/errno_failure.h"

namespace dustvane {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

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

Result<int> FolderChain::Open(const std::string& folder, bool* startsWalk) {
  openedNow_ = false;
  if (!levels_.empty()) {
    // Keep the deepest folder whose path begins `folder`.
    const size_t common =
        static_cast<size_t>(std::mismatch(path_.begin(), path_.end(), folder.begin(), folder.end()).first -
                            path_.begin());
    const auto kept = std::upper_bound(levels_.begin(), levels_.end(), common,
                                       [](size_t length, const Level& level) { return length < level.end; });
    const size_t keep = static_cast<size_t>(kept - levels_.begin());
    if (keep == 0) {
      Close();
    } else {
      while (levels_.size() > keep) {
        Release(levels_.back());
        levels_.pop_back();
      }
      firstOpen_ = std::min(firstOpen_, levels_.size());
      path_.resize(levels_.back().end);
    }
  }
  const bool newWalk = levels_.empty();
  if (startsWalk != nullptr) *startsWalk = newWalk;
  if (newWalk) {
    if (MaybeFailure failure = OpenRoot(folder)) return *failure;
  }

  size_t pos = path_.size();
  while (pos < folder.size()) {
    size_t slash = folder.find('/', pos);
    if (slash == std::string::npos) slash = folder.size() - 1;
    path_.append(folder, pos, slash + 1 - pos);
    if (slash == pos) {
      levels_.back().end = path_.size();  // a doubled "/" belongs to the folder before it
    } else if (MaybeFailure failure = Descend(std::string_view(folder).substr(pos, slash - pos), path_.size())) {
      path_.resize(levels_.back().end);
      return *failure;
    }
    pos = slash + 1;
  }
  if (levels_.back().fd < 0) {
    if (MaybeFailure failure = ReopenInnermost()) return *failure;
  }
  return levels_.back().fd;
}

void FolderChain::Close() {
  for (Level& level : levels_) Release(level);
  levels_.clear();
  path_.clear();
  firstOpen_ = 0;
}

std::string FolderChain::AbsolutePath(const std::string& folder) const {
  if (levels_.empty() || absoluteRoot_.empty() || folder.compare(0, levels_[0].end, path_, 0, levels_[0].end) != 0) {
    return folder;
  }
  return absoluteRoot_ + folder.substr(levels_[0].end);
}

bool FolderChain::Holds(const FolderIdentity& identity) {
  for (Level& level : levels_) {
    if (Learn(level) && level.identity == identity) return true;
  }
  return false;
}

MaybeFailure FolderChain::OpenRoot(const std::string& folder) {
  budget_.Resize();
  const int fd = open(folder.empty() ? "." : folder.c_str(), kFolderFlags);
  if (fd < 0) return ErrnoFailure(errno);
  budget_.Take();
  path_ = folder;
  levels_.push_back({folder.size(), fd, false, {}});
  openedNow_ = true;
  firstOpen_ = 1;
  absoluteRoot_ = KernelPath(fd);
  return std::nullopt;
}

MaybeFailure FolderChain::Descend(std::string_view name, size_t end) {
  if (levels_.back().fd < 0) {
    if (MaybeFailure failure = ReopenInnermost()) return failure;
  }
  Result<int> fd = OpenChildOf(levels_.size() - 1, name);
  if (!fd.ok()) return fd.failure();
  levels_.push_back({end, fd.value(), false, {}});
  openedNow_ = true;
  return std::nullopt;
}

// Every folder below the root has been given back (the open ones are always
// the root and an unbroken run up to the innermost). They are opened again
// from the root down, each checked against the identity it had.
MaybeFailure FolderChain::ReopenInnermost() {
  const std::vector<Level> closed(levels_.begin() + 1, levels_.end());
  levels_.resize(1);
  firstOpen_ = 1;
  for (const Level& level : closed) {
    const size_t start = levels_.back().end;
    const std::string_view name = std::string_view(path_).substr(start, path_.find('/', start) - start);
    Result<int> fd = OpenChildOf(levels_.size() - 1, name);
    MaybeFailure failure;
    if (!fd.ok()) {
      failure = fd.failure();
    } else {
      levels_.push_back({level.end, fd.value(), false, {}});
      openedNow_ = true;
      // A folder replaced since it was given back, even by one moved here
      // from elsewhere, is not the one the walk was in.
      if (!level.known || !Learn(levels_.back()) || !(levels_.back().identity == level.identity)) {
        CloseLevel(levels_.back());
        levels_.pop_back();
        failure = ErrnoFailure(ENOENT);
      }
    }
    if (failure) {
      path_.resize(levels_.back().end);
      return failure;
    }
  }
  return std::nullopt;
}

Result<int> FolderChain::OpenChildOf(size_t parent, std::string_view name) {
  while (!budget_.TryTake()) {
    if (!GiveBackOutermost(parent)) {
      budget_.Take();  // the fewest a walk can work with
      break;
    }
  }
  const std::string component(name);
  while (true) {
    const int fd = openat(levels_[parent].fd, component.c_str(), kFolderFlags | O_NOFOLLOW);
    if (fd >= 0) return fd;
    const int error = errno;
    // The process may have fewer descriptors left than the budget assumed.
    if ((error == EMFILE || error == ENFILE) && GiveBackOutermost(parent)) continue;
    budget_.GiveBack();
    return ErrnoFailure(error);
  }
}

bool FolderChain::GiveBackOutermost(size_t keep) {
  if (firstOpen_ >= keep || firstOpen_ >= levels_.size()) return false;
  CloseLevel(levels_[firstOpen_]);
  ++firstOpen_;
  return true;
}

void FolderChain::CloseLevel(Level& level) {
  // Its identity is read now, while the descriptor still holds the folder
  // opened at the start, so that a reopen can be checked against it.
  Learn(level);
  Release(level);
}

void FolderChain::Release(Level& level) {
  if (level.fd < 0) return;
  close(level.fd);
  level.fd = -1;
  budget_.GiveBack();
}

bool FolderChain::Learn(Level& level) {
  if (level.known) return true;
  struct stat st;
  if (level.fd < 0 || fstat(level.fd, &st) != 0) return false;
  level.identity = {st.st_dev, st.st_ino};
  level.known = true;
  return true;
}

}  // namespace dustvane
