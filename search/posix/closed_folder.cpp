#include "search/posix/closed_folder.h"

#include "search/posix/folder_record.h"

namespace dustvane {

bool IsClosedFolder(const MountMap& mounts, FolderChain& chain, const std::string& absoluteFolder,
                    std::string_view name) {
  switch (mounts.At(absoluteFolder + std::string(name) + "/")) {
    case MountAt::kNone:
      return false;
    case MountAt::kSystem:
      return true;
    case MountAt::kOrdinary:
      break;
  }
  const std::optional<FolderIdentity> identity = IdentityOfEntry(chain.InnermostFd(), std::string(name).c_str());
  return identity && chain.Holds(*identity);
}

}  // namespace dustvane
