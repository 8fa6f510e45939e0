#pragma once

#include <memory>

#include "search/file_system.h"
#include "search/posix/read_ahead_mode.h"

namespace dustvane {

// The POSIX file-system layer with its read-ahead as chosen (the program's
// own is MakeNativeFileSystem: helpers once the cache turns out cold),
// `coldHelpers` helpers.
std::unique_ptr<FileSystem> MakePosixFileSystem(ReadAheadMode readAhead, unsigned coldHelpers = kColdHelpers);

}  // namespace dustvane
