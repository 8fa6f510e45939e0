#pragma once

#include <memory>

#include "search/file_system.h"
#include "search/posix/read_ahead_mode.h"

namespace dustvane {

// The POSIX file-system layer with its read-ahead as chosen (the program's
// own is MakeNativeFileSystem: partners, and more helpers when the cache is
// cold), `coldHelpers` helpers on a cold tree.
std::unique_ptr<FileSystem> MakePosixFileSystem(ReadAheadMode readAhead, unsigned coldHelpers = kColdHelpers);

}  // namespace dustvane
