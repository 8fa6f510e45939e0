#include "tests/support/chain_of_folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace dustvane::testing {

std::string MakeChainOfFolders(const std::string& root, const std::string& under, const std::string& name, int depth,
                               int every, const std::string& side) {
  int fd = open((root + under).c_str(), O_RDONLY | O_DIRECTORY);
  EXPECT_GE(fd, 0) << under;
  std::string path = under;
  for (int level = 0; fd >= 0 && level <= depth; ++level) {
    if (every > 0 && level % every == 0) {
      const int file = openat(fd, "m.tmp", O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
      EXPECT_GE(file, 0) << path;
      if (file >= 0) close(file);
    }
    if (level == depth) break;
    if (!side.empty()) {
      EXPECT_EQ(mkdirat(fd, side.c_str(), 0755), 0) << path;
    }
    EXPECT_EQ(mkdirat(fd, name.c_str(), 0755), 0) << path;
    const int inner = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    EXPECT_GE(inner, 0) << path;
    close(fd);
    fd = inner;
    path += name + "/";
  }
  if (fd >= 0) close(fd);
  return path;
}

}  // namespace dustvane::testing
