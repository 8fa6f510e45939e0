// Drive1's list on Windows: the drive letters in use, each shown with its
// volume's label, its network share or its kind.

#include "ui/drive_list.h"

#include <wctype.h>
#include <windows.h>
#include <winnetwk.h>

#include <iterator>

#include "search/win32/wide_text.h"

namespace dustvane {

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

std::wstring Letter(const PathString& root) {
  std::wstring letter = root.substr(0, 2);
  if (!letter.empty()) letter[0] = static_cast<wchar_t>(towupper(letter[0]));
  return letter;
}

// The share a network drive stands for ("\\server\share"), from the
// system's own table of connections; empty when it is not known.
std::wstring NetworkShare(const std::wstring& letter) {
  wchar_t share[MAX_PATH + 1] = {};
  DWORD length = MAX_PATH + 1;
  return WNetGetConnectionW(letter.c_str(), share, &length) == NO_ERROR ? std::wstring(share) : std::wstring();
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

std::vector<PathString> ListDrives() {
  std::vector<PathString> drives;
  wchar_t roots[4 * 26 + 1] = {};
  const DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(std::size(roots) - 1), roots);
  if (length == 0 || length >= std::size(roots)) return {L"C:\\"};
  for (const wchar_t* root = roots; *root; root += wcslen(root) + 1) drives.emplace_back(root);
  if (drives.empty()) drives.push_back(L"C:\\");
  return drives;
}

std::string DriveText(const PathString& root) { return Utf8FromWide(Letter(root)); }

std::optional<std::string> DriveTextFromVolume(const PathString& root) {
  const UINT type = GetDriveTypeW(root.c_str());
  // Letters that cannot be told apart from no drive at all are left out.
  if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN) return std::nullopt;
  const std::wstring letter = Letter(root);
  // A network drive is shown by its share, as Windows' own drive lists do;
  // its server is never asked for a label.
  std::wstring label = type == DRIVE_REMOTE ? NetworkShare(letter) : VolumeLabel(root);
  if (label.empty()) label = DriveKind(type);
  return Utf8FromWide(letter + L" [" + label + L"]");
}

}  // namespace dustvane
