#pragma once

#include <string>

namespace dustvane::testing {

// A fresh folder for one test, removed with everything in it afterwards
// (permissions given back first, so that nothing a test locked stays).
// Made on a memory file system where there is one: wide trees are slow to
// remove from a journalling disk.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder's path, ending in "/".
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace dustvane::testing
