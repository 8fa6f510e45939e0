#pragma once

#include <vector>

#include <gtest/gtest.h>

#include "search/file_system.h"

namespace dustvane::testing {

// Every name one enumeration hands out, in order; a failure on the way fails
// the test.
inline std::vector<PathString> EnumerateNames(FileSystem& fs, const PathString& pattern, Attributes mask) {
  std::vector<PathString> names;
  Result<PathString> name = fs.EnumFirst(pattern, mask);
  while (name.ok() && !name.value().empty()) {
    names.push_back(name.value());
    name = fs.EnumNext();
  }
  EXPECT_TRUE(name.ok()) << name.failure().description;
  return names;
}

}  // namespace dustvane::testing
