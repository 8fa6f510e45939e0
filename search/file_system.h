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

  // Removes one file, never a folder. A read-only file is refused.
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
  // search keeps no folder of a removable disk busy.
  virtual void CloseFolders() {}
};

// The file system of the machine the program runs on.
std::unique_ptr<FileSystem> MakeNativeFileSystem();

// The root folder of the local disk: "/" on POSIX systems, "C:\" on Windows.
PathString LocalDiskRoot();

}  // namespace dustvane
