#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "search/path_string.h"

namespace dustvane::testing {

// A folder tree of real files under a fresh folder on the C: drive, removed
// with everything in it (read-only entries included) when the object goes.
// Relative paths use "\" and name entries below the tree's root.
class RealTree {
 public:
  RealTree();
  ~RealTree();
  RealTree(const RealTree&) = delete;
  RealTree& operator=(const RealTree&) = delete;

  // The root folder, ending in "\".
  const PathString& Root() const { return root_; }
  PathString Path(const PathString& relative) const { return root_ + relative; }

  // Each returns the entry's full path; attributes are FILE_ATTRIBUTE_* bits.
  PathString Folder(const PathString& relative, DWORD attributes = 0);
  PathString File(const PathString& relative, int64_t length = 0, DWORD attributes = 0);

 private:
  PathString root_;
};

// Removes `path` and, for a real folder, everything below it. Links to folders
// are removed themselves, never followed.
void RemoveTree(const PathString& path);

// The folder that the Windows stage prepared for a test in the environment
// variable `name`, ending in "\"; empty when there is none.
PathString Prepared(const wchar_t* name);

// Runs `command` in a Unix shell in `folder`, as from the Linux side of the
// drive, and gives its exit status (-1 when no shell ran it). Only under
// Wine, which runs Unix programs too.
int RunOnLinuxSide(const PathString& folder, const std::string& command);

// The path with the "\\?\" prefix that lets the test itself build paths past
// the classic length limit.
PathString Extended(const PathString& path);

}  // namespace dustvane::testing
