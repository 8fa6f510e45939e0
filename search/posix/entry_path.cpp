#include "search/posix/entry_path.h"

#include <cerrno>

#include "search/posix/errno_failure.h"
#include "search/posix/folder_opener.h"

namespace dustvane {

Result<EntryInFolder> OpenHoldingFolder(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const size_t slash = trimmed.rfind('/');
  std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return ErrnoFailure(EISDIR);
  Result<int> fd = OpenFolderAtPath(!trimmed.empty() && trimmed[0] == '/' ? "/" : "");
  if (!fd.ok()) return fd.failure();
  EntryInFolder at{Descriptor(fd.value()), std::move(name)};
  for (size_t pos = 0, end; slash != std::string::npos && pos < slash; pos = end + 1) {
    end = trimmed.find('/', pos);
    if (end == pos) continue;
    Result<int> inner = OpenSubFolder(at.folder.get(), trimmed.substr(pos, end - pos));
    if (!inner.ok()) return inner.failure();
    at.folder.reset(inner.value());
  }
  return at;
}

}  // namespace dustvane
