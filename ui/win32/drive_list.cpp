#include <wctype.h>
#include <windows.h>

#include <iterator>

#include "ui/drive_list.h"
#include "ui/win32/drive_text.h"

namespace dustvane::win32 {

namespace {

const wchar_t* DriveKind(UINT type) {
  switch (type) {
    case DRIVE_REMOVABLE:
      return L"Removable Disk";
    case DRIVE_REMOTE:
      return L"Network Drive";
    case DRIVE_CDROM:
      return L"CD Drive";
    case DRIVE_RAMDISK:
      return L"RAM Disk";
    default:
      return L"Local Disk";
  }
}

// An empty floppy or optical drive must not bring up the system's "insert a
// disk" message; the label is then simply not known.
std::wstring VolumeLabel(const PathString& root) {
  DWORD previous = 0;
  const bool quiet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous) != FALSE;
  wchar_t label[MAX_PATH + 1] = {};
  const BOOL known = GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0);
  if (quiet) SetThreadErrorMode(previous, nullptr);
  return known ? std::wstring(label) : std::wstring();
}

}  // namespace

std::wstring DriveText(const PathString& root) {
  std::wstring text = root.substr(0, 2);
  if (!text.empty()) text[0] = static_cast<wchar_t>(towupper(text[0]));
  std::wstring label = VolumeLabel(root);
  if (label.empty()) label = DriveKind(GetDriveTypeW(root.c_str()));
  return text + L" [" + label + L"]";
}

}  // namespace dustvane::win32

namespace dustvane {

std::vector<PathString> ListDrives() {
  std::vector<PathString> drives;
  wchar_t roots[4 * 26 + 1] = {};
  const DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(std::size(roots) - 1), roots);
  if (length == 0 || length >= std::size(roots)) return {L"C:\\"};
  for (const wchar_t* root = roots; *root; root += wcslen(root) + 1) {
    // Drives that cannot be told apart from no drive at all are left out.
    const UINT type = GetDriveTypeW(root);
    if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN) continue;
    drives.emplace_back(root);
  }
  if (drives.empty()) drives.push_back(L"C:\\");
  return drives;
}

}  // namespace dustvane
