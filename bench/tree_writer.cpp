#include "bench/tree_writer.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace dustvane::bench {

namespace {

std::string Describe(const std::string& what, const std::string& path, int error) {
  return what + " " + path + ": " + std::strerror(error);
}

// Whether `root` holds anything; a missing root is empty.
std::optional<std::string> CheckEmpty(const std::string& root) {
  DIR* dir = opendir(root.c_str());
  if (dir == nullptr) {
    if (errno == ENOENT) return std::nullopt;
    return Describe("cannot read", root, errno);
  }
  bool empty = true;
  while (const dirent* d = readdir(dir)) {
    if (std::strcmp(d->d_name, ".") != 0 && std::strcmp(d->d_name, "..") != 0) {
      empty = false;
      break;
    }
  }
  closedir(dir);
  if (!empty) return root + " is not empty; give a new or empty folder";
  return std::nullopt;
}

// Most files get a few bytes; one buffer serves them all.
const char* Filler() {
  static const std::string filler = [] {
    std::string text;
    while (text.size() < 4096) text += "dustvane test data 0123456789\n";
    return text;
  }();
  return filler.data();
}

std::optional<std::string> WriteEntry(int folderFd, const std::string& folderPath,
                                      const PlannedEntry& entry) {
  const std::string path = folderPath + entry.name;
  switch (entry.type) {
    case EntryType::kLink:
      if (symlinkat(entry.target.c_str(), folderFd, entry.name.c_str()) != 0) {
        return Describe("cannot link", path, errno);
      }
      return std::nullopt;
    case EntryType::kFifo:
      if (mkfifoat(folderFd, entry.name.c_str(), 0644) != 0) return Describe("cannot make FIFO", path, errno);
      return std::nullopt;
    case EntryType::kFile:
      break;
  }
  const int fd = openat(folderFd, entry.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                        entry.readOnly ? 0444 : 0644);
  if (fd < 0) return Describe("cannot create", path, errno);
  std::optional<std::string> failure;
  if (entry.bytesWritten > 0 && write(fd, Filler(), static_cast<size_t>(entry.bytesWritten)) != entry.bytesWritten) {
    failure = Describe("cannot write", path, errno);
  } else if (entry.size > entry.bytesWritten && ftruncate(fd, entry.size) != 0) {
    // Past the written bytes the file is a hole: large files cost no disk.
    failure = Describe("cannot size", path, errno);
  }
  close(fd);
  return failure;
}

}  // namespace

std::optional<std::string> WriteTree(const TreePlan& plan, const std::string& root) {
  if (auto failure = CheckEmpty(root)) return failure;
  std::error_code error;
  std::filesystem::create_directories(root, error);
  if (error) return "cannot create " + root + ": " + error.message();

  // Parents come before their children, so each folder's path is known when
  // it is made.
  std::vector<std::string> paths(plan.folders.size());
  paths[0] = root.empty() || root.back() == '/' ? root : root + "/";
  for (size_t i = 1; i < plan.folders.size(); ++i) {
    const PlannedFolder& folder = plan.folders[i];
    paths[i] = paths[folder.parent] + folder.name + "/";
    if (mkdir(paths[i].c_str(), 0755) != 0) return Describe("cannot make folder", paths[i], errno);
  }

  int openFolder = -1;
  int folderFd = -1;
  for (const PlannedEntry& entry : plan.entries) {
    if (entry.folder != openFolder) {
      if (folderFd >= 0) close(folderFd);
      openFolder = entry.folder;
      folderFd = open(paths[openFolder].c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (folderFd < 0) return Describe("cannot open", paths[openFolder], errno);
    }
    if (auto failure = WriteEntry(folderFd, paths[openFolder], entry)) {
      close(folderFd);
      return failure;
    }
  }
  if (folderFd >= 0) close(folderFd);
  return std::nullopt;
}

}  // namespace dustvane::bench
