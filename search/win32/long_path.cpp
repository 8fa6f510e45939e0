#include "search/win32/long_path.h"

#include <algorithm>

namespace dustvane {

namespace {

// Folders must leave room for an 8.3 name below them within MAX_PATH (260), so
// the prefix is used from 248 characters on, for every call alike.
constexpr size_t kLongestPlainPath = 247;

bool IsSeparator(PathChar c) { return c == L'\\' || c == L'/'; }

bool IsDriveAbsolute(const PathString& path) {
  const PathChar d = path.size() >= 3 ? path[0] : 0;
  return ((d >= L'A' && d <= L'Z') || (d >= L'a' && d <= L'z')) && path[1] == L':' && IsSeparator(path[2]);
}

bool IsUncPath(const PathString& path) {
  return path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] != L'?' && path[2] != L'.';
}

PathString WithBackslashes(PathString path) {
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

}  // namespace

PathString ApiPath(const PathString& path) {
  if (path.size() <= kLongestPlainPath) return path;
  if (IsDriveAbsolute(path)) return L"\\\\?\\" + WithBackslashes(path);
  if (IsUncPath(path)) return L"\\\\?\\UNC\\" + WithBackslashes(path.substr(2));
  return path;
}

}  // namespace dustvane
