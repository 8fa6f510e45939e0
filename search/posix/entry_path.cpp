#include "search/posix/entry_path.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "search/posix/errno_failure.h"

namespace dustvane {

EntryInFolder::~EntryInFolder() {
  if (folderFd_ >= 0) close(folderFd_);
}

Result<EntryInFolder> OpenHoldingFolder(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const size_t slash = trimmed.rfind('/');
  std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return ErrnoFailure(EISDIR);
  int fd = open(!trimmed.empty() && trimmed[0] == '/' ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return ErrnoFailure(errno);
  size_t pos = 0;
  while (slash != std::string::npos && pos < slash) {
    const size_t end = trimmed.find('/', pos);
    const std::string component = trimmed.substr(pos, end - pos);
    pos = end + 1;
    if (component.empty()) continue;
    const int inner = openat(fd, component.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int err = errno;
    close(fd);
    if (inner < 0) return ErrnoFailure(err);
    fd = inner;
  }
  return EntryInFolder(fd, std::move(name));
}

}  // namespace dustvane
