#include "search/name_pattern.h"

namespace dustvane {

namespace {

PathChar FoldAscii(PathChar c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<PathChar>(c - 'A' + 'a') : c;
}

bool SameLetter(PathChar a, PathChar b) { return FoldAscii(a) == FoldAscii(b); }

}  // namespace

// Classic wildcard matching with one backtrack point: on a mismatch, the most
// recent "*" swallows one more character. Linear in practice, and never worse
// than name length times pattern length.
bool MatchesNamePattern(PathView name, PathView pattern) {
  size_t n = 0;
  size_t p = 0;
  size_t starP = PathView::npos;
  size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && SameLetter(pattern[p], name[n])) {
      ++p;
      ++n;
    } else if (starP != PathView::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace dustvane
