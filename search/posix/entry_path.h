#pragma once

#include <string>

#include "search/failure.h"

namespace dustvane {

// An entry reached without following any link on the way: the open folder
// that holds it and its name there. Owns the descriptor.
class EntryInFolder {
 public:
  EntryInFolder(int folderFd, std::string name) : folderFd_(folderFd), name_(std::move(name)) {}
  EntryInFolder(EntryInFolder&& other) noexcept : folderFd_(other.folderFd_), name_(std::move(other.name_)) {
    other.folderFd_ = -1;
  }
  EntryInFolder(const EntryInFolder&) = delete;
  EntryInFolder& operator=(const EntryInFolder&) = delete;
  ~EntryInFolder();

  int FolderFd() const { return folderFd_; }
  // Holds `folderFd` in place of the folder it held.
  void MoveTo(int folderFd);
  const std::string& Name() const { return name_; }

 private:
  int folderFd_;
  std::string name_;
};

// Opens the folder that holds `path` one component at a time from "/" (or
// from the working folder for a relative path), refusing to pass through a
// link. Works for paths of any length.
Result<EntryInFolder> OpenHoldingFolder(const std::string& path);

}  // namespace dustvane
