#pragma once

#include <memory>

#include "search/file_system.h"
#include "search/posix/folder_read_ahead.h"

namespace dustvane {

// The POSIX file-system layer with its read-ahead as chosen (the program's
// own is MakeNativeFileSystem: read-ahead when the cache is cold).
std::unique_ptr<FileSystem> MakePosixFileSystem(ReadAheadMode readAhead,
                                                unsigned threads = FolderReadAhead::kThreads);

}  // namespace dustvane
