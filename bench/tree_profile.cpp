#include "bench/tree_profile.h"

namespace dustvane::bench {

namespace {

// "large" doubles the entries of "medium", keeping its depth and widest
// folder, so the two compare a walk by its entries alone.
constexpr TreeProfile kProfiles[] = {
    {"small", 200, 2000, 8, 300, 0x5eed0001},
    {"medium", 20000, 200000, 12, 10000, 0x5eed0002},
    {"large", 32000, 400000, 12, 10000, 0x5eed0003},
    {"deep", 20000, 200000, 120, 10000, 0x5eed0004},
    {"wide", 20000, 290000, 12, 100000, 0x5eed0005},
    {"wide10", 0, 0, 1, 100000, 0x5eed0006, 10},
    {"flat", 0, 0, 1, 500000, 0x5eed0007, 1},
};

}  // namespace

std::optional<TreeProfile> FindProfile(std::string_view name) {
  for (const TreeProfile& profile : kProfiles) {
    if (profile.name == name) return profile;
  }
  return std::nullopt;
}

std::string_view ProfileNames() { return "small|medium|large|deep|wide|wide10|flat"; }

}  // namespace dustvane::bench
