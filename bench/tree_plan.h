#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bench/tree_profile.h"

namespace dustvane::bench {

enum class EntryType { kFile, kLink, kFifo };

struct PlannedFolder {
  int parent;        // -1 for the root
  int depth;         // the root is 0
  std::string name;  // raw bytes; empty for the root
};

struct PlannedEntry {
  int folder;
  std::string name;      // raw bytes
  EntryType type;
  int64_t size;          // a file's length; what lies past bytesWritten is a hole
  int64_t bytesWritten;  // files only, never more than size
  std::string target;    // links only, relative to the link's folder
  bool readOnly;
};

// A whole tree, decided before anything is written: folders come after their
// parents, and entries are grouped by folder in folder order.
struct TreePlan {
  std::vector<PlannedFolder> folders;  // [0] is the root
  std::vector<PlannedEntry> entries;
};

TreePlan PlanTree(const TreeProfile& profile);

// Whether a walk for "*.tmp" lists an entry of this name: it ends in ".tmp"
// in any mix of case. Folders are never listed, whatever their name.
bool IsMatchName(std::string_view name);

// The length a walk reads for the entry: a link's own length is that of its
// target text.
int64_t EntryLength(const PlannedEntry& entry);

// What a plan holds, and what a walk of it for "*.tmp" must report.
struct TreeSummary {
  int64_t folders = 0;
  int64_t files = 0;
  int64_t links = 0;
  int64_t fifos = 0;
  int64_t hidden = 0;      // files and folders whose names start with "."
  int64_t maxDepth = 0;
  int64_t widest = 0;      // most entries (files and folders) in one folder
  int64_t matches = 0;
  int64_t matchBytes = 0;
  int64_t allBytes = 0;    // apparent size of every file, holes included
};

TreeSummary Summarize(const TreePlan& plan);

}  // namespace dustvane::bench
