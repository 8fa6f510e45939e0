#pragma once

#include <string>
#include <string_view>

#include "search/posix/folder_chain.h"
#include "search/posix/mount_map.h"

namespace dustvane {

// Whether the folder `name`, inside the innermost folder of `chain` (whose
// path from the system's root is `absoluteFolder`), is one a walk never
// enters, as its mount table tells: a system file system shows there, or,
// where the walk would cross into another mount, it is the same folder as
// one of the chain's (a folder mounted below itself), which would never end.
// Plain folders cannot form such a loop, so only mount points cost anything.
// Never sets off an automount. This decides what a listing shows (a closed
// folder has the system attribute); the crossing itself is checked again
// when the walk opens it (folder_opener.h).
bool IsClosedFolder(const MountMap& mounts, FolderChain& chain, const std::string& absoluteFolder,
                    std::string_view name);

}  // namespace dustvane
