#include "search/posix/entry_path.h"

#include <unistd.h>

#include <cerrno>

#include "search/posix/errno_failure.h"
#include "search/posix/folder_opener.h"

namespace dustvane {

EntryInFolder::~EntryInFolder() {
  if (folderFd_ >= 0) close(folderFd_);
}

void EntryInFolder::MoveTo(int folderFd) {
  if (folderFd_ >= 0) close(folderFd_);
  folderFd_ = folderFd;
}

Result<EntryInFolder> OpenHoldingFolder(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const size_t slash = trimmed.rfind('/');
  std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return ErrnoFailure(EISDIR);
  Result<int> fd = OpenFolderAtPath(!trimmed.empty() && trimmed[0] == '/' ? "/" : "");
  if (!fd.ok()) return fd.failure();
  EntryInFolder at(fd.value(), std::move(name));
  size_t pos = 0;
  while (slash != std::string::npos && pos < slash) {
    const size_t end = trimmed.find('/', pos);
    const std::string component = trimmed.substr(pos, end - pos);
    pos = end + 1;
    if (component.empty()) continue;
    Result<int> inner = OpenSubFolder(at.FolderFd(), component);
    if (!inner.ok()) return inner.failure();
    at.MoveTo(inner.value());
  }
  return at;
}

}  // namespace dustvane
