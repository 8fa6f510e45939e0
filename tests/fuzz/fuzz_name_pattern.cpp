// Differential check of the name matcher against a plain recursive one.
// Input: pattern bytes, a 0x00 byte, name bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "search/name_pattern.h"

namespace {

using dustvane::PathChar;
using dustvane::PathString;

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Obviously right, and exponential: the inputs are kept short.
bool Reference(const char* n, size_t nl, const char* p, size_t pl) {
  if (pl == 0) return nl == 0;
  if (p[0] == '*') {
    for (size_t skip = 0; skip <= nl; ++skip) {
      if (Reference(n + skip, nl - skip, p + 1, pl - 1)) return true;
    }
    return false;
  }
  return nl > 0 && Fold(n[0]) == Fold(p[0]) && Reference(n + 1, nl - 1, p + 1, pl - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64) return 0;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  if (split == std::string::npos) return 0;
  std::string pattern = input.substr(0, split);
  const std::string name = input.substr(split + 1);
  // Runs of stars change nothing and only slow the reference down.
  for (size_t i = 1; i < pattern.size();) {
    if (pattern[i] == '*' && pattern[i - 1] == '*') pattern.erase(i, 1); else ++i;
  }
  const bool fast = dustvane::MatchesNamePattern(PathString(name.begin(), name.end()),
                                                 PathString(pattern.begin(), pattern.end()));
  if (fast != Reference(name.data(), name.size(), pattern.data(), pattern.size())) std::abort();
  return 0;
}
