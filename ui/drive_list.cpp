#include "ui/drive_list.h"

namespace dustvane {

namespace {

bool Holds(const PathString& root, const PathString& folder) {
  if (folder.compare(0, root.size(), root) != 0) return false;
  return folder.size() == root.size() || root.back() == kSeparator || folder[root.size()] == kSeparator;
}

}  // namespace

size_t DriveHolding(const std::vector<PathString>& drives, const PathString& folder) {
  size_t best = 0;
  size_t bestLength = 0;
  for (size_t i = 0; i < drives.size(); ++i) {
    const PathString& root = drives[i];
    if (!root.empty() && root.size() > bestLength && Holds(root, folder)) {
      best = i;
      bestLength = root.size();
    }
  }
  return best;
}

}  // namespace dustvane
