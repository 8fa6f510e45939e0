#pragma once

// A search run as the search command runs it, for the tests, the fuzz target
// and the benchmark: FindFiles over a root, then the file system lets go of
// its folders.

#include <cstdint>
#include <utility>

#include "search/file_system.h"
#include "search/find_files.h"

namespace dustvane::testing {

// What a search told besides its lines and messages.
struct SearchRun {
  Result<ByteTotal> total;  // or the failure the search could not deal with
  int16_t files = 0;
  FolderCount folders = 0;
};

// Searches `root` for `pattern`, the lines going to `results` and the
// messages to `messages`.
inline SearchRun RunSearch(FileSystem& fileSystem, ResultsList& results, MessageDialog& messages, PathString root,
                           const PathString& pattern = DV_PATH("*.tmp")) {
  SearchContext context{fileSystem, results, messages};
  int16_t files = 0;
  FolderCount folders = 0;
  Result<ByteTotal> total = FindFiles(context, root, pattern, files, folders);
  fileSystem.CloseFolders();
  return SearchRun{std::move(total), files, folders};
}

}  // namespace dustvane::testing
