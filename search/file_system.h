#pragma once

#include <cstdint>
#include <memory>

#include "search/attributes.h"
#include "search/failure.h"
#include "search/path_string.h"

namespace dustvane {

// The five file-system queries the search and the delete command rely on.
//
// Enumeration goes through one cursor per file system object: EnumFirst starts
// a new enumeration in place of the one in progress, and EnumNext continues
// whatever enumeration the latest EnumFirst started. The program keeps one
// object for the whole process, so there is one cursor for the process.
//
// A pattern is a folder path (ending in the separator) followed by a name
// pattern; a bare folder path matches every entry of the folder. In a name
// pattern "*" stands for any run of characters, dots included, and every other
// character stands for itself without regard to case.
//
// How the search calls these queries (find_files.cpp). The POSIX layer relies
// on it to read each folder once, to know where the walk is and to read
// ahead of it; whoever changes either side keeps the two in step. Any other
// order of calls gets the same answers, only with more reading.
// - A walk goes depth first: its root, then each sub-folder in the order the
//   folder's directory pass handed it out, the whole subtree of one before
//   the next. A sub-folder's path is its folder's path, its name and the
//   separator, so every folder's path begins with those above it.
// - Each folder gets two enumerations, one after the other: the directory
//   pass (the bare folder path, a mask with AttrDirectory), with
//   FileAttributes(folder path + name, AttrDirectory) of each name just
//   handed out; then the file pass (the folder path and a name pattern, a
//   mask without AttrDirectory), with FileLength(folder path + name) of each
//   match. Both run to the empty string before the walk goes on.
// - Where a pass stops before its empty string (a failure, a full count),
//   the walk searches nothing below that folder. A directory pass stops
//   early on a full folder count or on the failure of an entry whose name
//   does not end in ".sys". Past a full count, every later folder that holds
//   a sub-folder stops so, while the folders above it go on with the
//   sub-folders they collected before. The POSIX layer stops reading ahead
//   for the rest of the walk either way.
// - A walk begins with a directory pass of a folder outside the previous
//   walk's root, and ends with CloseFolders().
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The first entry name that matches `pattern` and passes `mask`, or the
  // empty string when there is none.
  virtual Result<PathString> EnumFirst(const PathString& pattern, Attributes mask) = 0;

  // The next entry name of the current enumeration, or the empty string once
  // it has run out. Fails when no enumeration was ever started.
  virtual Result<PathString> EnumNext() = 0;

  // The attribute bits of the entry itself (links are not followed). Only the
  // bits in `wanted` are looked up and reported; the others read as clear.
  // Asking for fewer bits lets an implementation answer from what the last
  // folder listing already told, without querying the entry again.
  virtual Result<Attributes> FileAttributes(const PathString& path,
                                            Attributes wanted = AttrAll) = 0;

  // The exact length in bytes of the file (of a link itself, not its target).
  virtual Result<int64_t> FileLength(const PathString& path) = 0;

  // Removes one file, never a folder. A read-only file is refused. The file
  // is a line the last search listed, and it goes only where its path still
  // leads through the very folders that search walked; otherwise nothing goes,
  // and the failure is that of a file that is gone.
  virtual MaybeFailure RemoveFile(const PathString& path) = 0;

  // The folder a search starts from, in the form every path of that search
  // is then built on: the root followed by found names exactly as the
  // enumeration gave them. A layer whose system would reinterpret a path
  // (resolve it against the current folder, clean up its names) puts the
  // root into its full form here, once, before any name is appended to it.
  // A folder path keeps its trailing separator.
  virtual Result<PathString> SearchRoot(const PathString& folder) { return folder; }

  // Lets go of whatever the object holds open between queries (folder handles
  // and the cached listing). Called when a walk is over, so that a finished
  // search keeps no folder of a removable disk busy. What RemoveFile needs of
  // the search stays, but holds nothing open.
  virtual void CloseFolders() {}
};

// The file system of the machine the program runs on.
std::unique_ptr<FileSystem> MakeNativeFileSystem();

// The root folder of the local disk: "/" on POSIX systems, "C:\" on Windows.
PathString LocalDiskRoot();

}  // namespace dustvane
