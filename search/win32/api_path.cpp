#include "search/win32/api_path.h"

#include <windows.h>

#include "search/win32/win32_failure.h"

namespace dustvane {

namespace {

constexpr const wchar_t* kExactPrefix = L"\\\\?\\";
constexpr const wchar_t* kDevicePrefix = L"\\\\.\\";

bool StartsWith(const PathString& path, const wchar_t* prefix) { return path.rfind(prefix, 0) == 0; }

bool IsDriveAbsolute(const PathString& path) {
  const PathChar d = path.size() >= 3 ? path[0] : 0;
  return ((d >= L'A' && d <= L'Z') || (d >= L'a' && d <= L'z')) && path[1] == L':' && path[2] == L'\\';
}

// "\\server\share\...": "\\?\" and "\\.\" name no share.
bool IsShare(const PathString& path) {
  return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.';
}

}  // namespace

MaybeFailure ApiPathRefusal(const PathString& path) {
  if (path.empty()) return Win32Failure(ERROR_PATH_NOT_FOUND);
  if (StartsWith(path, kExactPrefix)) return std::nullopt;
  // No name holds a "/": a path with one was never made from found names.
  if (path.find(L'/') == PathString::npos && (IsDriveAbsolute(path) || IsShare(path))) return std::nullopt;
  return Win32Failure(ERROR_BAD_PATHNAME);
}

Result<PathString> ApiPath(const PathString& path) {
  if (MaybeFailure refused = ApiPathRefusal(path)) return *refused;
  if (StartsWith(path, kExactPrefix)) return path;
  if (IsDriveAbsolute(path)) return kExactPrefix + path;
  return L"\\\\?\\UNC\\" + path.substr(2);
}

Result<PathString> FullRoot(const PathString& root) {
  if (StartsWith(root, kExactPrefix)) return root;
  if (root.empty()) return Win32Failure(ERROR_PATH_NOT_FOUND);
  PathString full(MAX_PATH, L'\0');
  while (true) {
    const DWORD length = GetFullPathNameW(root.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return Win32Failure(GetLastError());
    const bool fitted = length < full.size();
    full.resize(length);  // too small: `length` is the size needed
    if (fitted) break;
  }
  // Once cleaned, a "\\.\" path means what the same path after "\\?\" does.
  if (StartsWith(full, kDevicePrefix)) full[2] = L'?';
  if (root.back() == L'\\' && full.back() != L'\\') full += L'\\';
  return full;
}

}  // namespace dustvane
