#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "search/posix/folder_chain.h"
#include "search/posix/mount_map.h"

namespace dustvane {

// Whether the folder `name`, inside the innermost folder of `chain` (whose
// path from the system's root is `absoluteFolder`), is one a walk never
// enters: a system file system shows there, or, where the walk would cross
// into another mount, it is the same folder as one of the chain's (a folder
// mounted below itself), which would never end. Plain folders cannot form
// such a loop, so only mount points cost anything. Never sets off an
// automount. Touches nothing but its arguments, so a walk on another thread
// may ask it of its own chain and the same map.
bool IsClosedFolder(const MountMap& mounts, FolderChain& chain, const std::string& absoluteFolder,
                    std::string_view name);

// The same for a walker that keeps its folders its own way: `folderFd` is
// the folder that holds `name`, and `isInside` tells whether an identity is
// that of a folder the walker is inside.
bool IsClosedFolder(const MountMap& mounts, int folderFd, const std::string& absoluteFolder, std::string_view name,
                    const std::function<bool(const FolderIdentity&)>& isInside);

}  // namespace dustvane
