#pragma once

#include <cstdlib>
#include <string_view>

#include <gtest/gtest.h>

namespace dustvane::testing {

// Whether the tests run in CI (CI=true), where every test must run.
inline bool RunningInCi() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string_view(ci) == "true";
}

}  // namespace dustvane::testing

// Ends a test that this machine cannot run (no mount namespaces, no
// /dev/fuse, no loop devices...): skipped on a developer's machine, failed in
// CI, where a test that passes by not running would hide what it guards.
#define CANNOT_RUN_HERE(why)                                              \
  do {                                                                    \
    if (::dustvane::testing::RunningInCi()) {                             \
      GTEST_FAIL() << "cannot run here, and CI runs every test: " << why; \
    } else {                                                              \
      GTEST_SKIP() << why;                                                \
    }                                                                     \
  } while (0)
