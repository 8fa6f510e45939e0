#include "ui/windows/profile_folder.h"

#include <wctype.h>
#include <windows.h>

namespace dustvane {

PathString ProfileFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = GetEnvironmentVariableW(L"USERPROFILE", folder, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return L"C:\\";
  PathString profile(folder, length);
  profile[0] = static_cast<wchar_t>(towupper(profile[0]));
  return profile;
}

}  // namespace dustvane
