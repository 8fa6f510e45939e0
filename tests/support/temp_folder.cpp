#include "tests/support/temp_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace dustvane::testing {

TempFolder::TempFolder() {
  std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  pattern += "/dustvane-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  path_ = pattern + "/";
}

TempFolder::~TempFolder() {
  const std::string command = "chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
  if (std::system(command.c_str()) != 0) std::abort();
}

}  // namespace dustvane::testing
