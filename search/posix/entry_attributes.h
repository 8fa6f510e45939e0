#pragma once

#include <sys/types.h>

#include <string_view>

#include "search/attributes.h"
#include "search/posix/folder_listing.h"

namespace dustvane {

// The program's attribute bits for a POSIX entry:
//   directory  a directory (a link is never one, whatever it points to);
//   hidden     the name begins with ".";
//   read-only  the owner's write permission bit is clear;
//   system     neither a regular file, a directory nor a link (devices,
//              FIFOs, sockets), or a folder the walk never enters
//              (`closedFolder`: a system file system shows there, or it is
//              the same folder as one the walk is already inside).

// All but read-only, which only the entry's own mode can tell.
Attributes KindAttributes(EntryKind kind, std::string_view name, bool closedFolder);

// All four, from the entry's mode as lstat reports it.
Attributes ModeAttributes(mode_t mode, std::string_view name, bool closedFolder);

}  // namespace dustvane
