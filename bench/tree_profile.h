#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace dustvane::bench {

// The size and shape of a generated tree.
struct TreeProfile {
  std::string_view name;
  int folders;       // every folder below the root
  int files;         // every entry that is not a folder (files, links, FIFOs)
  int maxDepth;      // deepest folder, the root being depth 0
  int flatFiles;     // entries of the one flat folder (the widest)
  uint64_t seed;
  // When above 0, the tree is only this many flat folders side by side
  // under the root, each holding `flatFiles` entries, for measuring wide
  // folders alone; `folders`, `files` and `maxDepth` are then unused.
  int flatFolders = 0;
};

// "small", "medium", "large" (twice medium's entries, same depth and widest
// folder), "deep" (medium's size, far deeper), "wide" (medium with a flat
// folder ten times as wide), "wide10" (ten folders of 100,000 entries) and
// "flat" (one folder of 500,000 entries).
std::optional<TreeProfile> FindProfile(std::string_view name);

// The names FindProfile knows, for the usage text.
std::string_view ProfileNames();

}  // namespace dustvane::bench
