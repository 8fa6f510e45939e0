#include "search/posix/closed_folder.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace dustvane {

bool IsClosedFolder(const MountMap& mounts, FolderChain& chain, const std::string& absoluteFolder,
                    std::string_view name) {
  return IsClosedFolder(mounts, chain.InnermostFd(), absoluteFolder, name,
                        [&chain](const FolderIdentity& identity) { return chain.Holds(identity); });
}

bool IsClosedFolder(const MountMap& mounts, int folderFd, const std::string& absoluteFolder, std::string_view name,
                    const std::function<bool(const FolderIdentity&)>& isInside) {
  switch (mounts.At(absoluteFolder + std::string(name) + "/")) {
    case MountAt::kNone:
      return false;
    case MountAt::kSystem:
      return true;
    case MountAt::kOrdinary:
      break;
  }
  struct stat st;
  // Only the mount already there is looked at: an automount is not set off.
  if (fstatat(folderFd, std::string(name).c_str(), &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0) {
    return false;
  }
  return isInside({st.st_dev, st.st_ino});
}

}  // namespace dustvane
