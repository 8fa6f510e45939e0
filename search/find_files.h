#pragma once

#include <cstdint>
#include <string>

#include "search/byte_total.h"
#include "search/failure.h"
#include "search/file_system.h"
#include "search/path_string.h"

namespace dustvane {

// Where the search appends the full path of every match, in the order found.
class ResultsList {
 public:
  virtual ~ResultsList() = default;
  virtual MaybeFailure AddItem(const PathString& line) = 0;
};

// A modal message with one OK button and no icon; returns when the user has
// closed it.
class MessageDialog {
 public:
  virtual ~MessageDialog() = default;
  virtual MaybeFailure Show(const std::string& text, const std::string& title) = 0;
};

// What the search needs from the world around it.
struct SearchContext {
  FileSystem& fileSystem;
  ResultsList& results;
  MessageDialog& messages;
};

// How many folders a search has found: wide enough that no real tree fills
// it, so the folder count never cuts a search short.
using FolderCount = int64_t;

inline constexpr const char* kUnexpectedErrorTitle = "Unexpected Error";

// "Error: <number> - <description>", as the error messages read.
std::string ErrorMessageText(const Failure& failure);

// Searches `path` and every folder below it for files whose names match
// `searchStr`, appending each match's full path to the results list.
// `path` gets a trailing separator if it lacks one and is then replaced by
// the file system's SearchRoot form of it, which every line begins with.
// `fileCount` is raised for every file listed and fails with "Overflow" past
// 32767, the most the results window counts. `dirCount` is raised for every
// sub-folder found; it is 64-bit, so a search walks every folder of any disk.
//
// Failures inside the walk are handled level by level: a failure while a
// directory pass stands on a name ending in ".sys" is passed over; any other
// is reported through the message box and ends that level, which returns the
// size gathered so far. Returns the total size of the matches listed in this
// level and below, or the failure that could not be handled here (the message
// box itself failing). The total is exact for any set of files. Depth is
// limited by memory only: the search does not recurse on the call stack.
Result<ByteTotal> FindFiles(SearchContext& context, PathString& path,
                            const PathString& searchStr, int16_t& fileCount,
                            FolderCount& dirCount);

}  // namespace dustvane
