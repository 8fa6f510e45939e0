#pragma once

#include "search/failure.h"
#include "search/path_string.h"

namespace dustvane {

// The form in which `path` is handed to the wide-character file API, so that
// the API takes every name in it exactly as it is. A plain path goes through
// the API's clean-up, which drops trailing dots and spaces from every name,
// turns a name such as "CON.tmp" into a device and resolves the path against
// the current folder: it may then name another file than the one listed.
// With "\\?\" before a drive path, or "\\?\UNC\" in place of a share's
// leading "\\", nothing is cleaned up. A path already in that form is handed
// over as it is; any other path (relative, or with "/" separators) has no
// exact form and is refused. The empty path names no file.
Result<PathString> ApiPath(const PathString& path);
// Why `path` has no such form; nothing where it has one.
MaybeFailure ApiPathRefusal(const PathString& path);

// The root of a search, made absolute and clean once, before any found name
// is appended to it: "." and ".." resolved, "/" turned into "\", a relative
// root placed under the current folder, by the API's own rules for a typed
// path. Every path below it is then this root followed by names exactly as
// the enumeration gave them, which ApiPath hands over unchanged. A root
// already in the "\\?\" form is exact and kept as it is.
Result<PathString> FullRoot(const PathString& root);

}  // namespace dustvane
