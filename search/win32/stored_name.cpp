#include "search/win32/stored_name.h"

#include <winternl.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace dustvane {

namespace {

// The information classes of the entry's path from its volume's root.
constexpr auto kNormalizedName = static_cast<FILE_INFORMATION_CLASS>(48);  // FileNormalizedNameInformation
constexpr auto kOpenedName = static_cast<FILE_INFORMATION_CLASS>(9);       // FileNameInformation

bool IsUnsupported(NTSTATUS status) {
  constexpr NTSTATUS kUnsupported[] = {
      static_cast<NTSTATUS>(0xC0000002),  // STATUS_NOT_IMPLEMENTED
      static_cast<NTSTATUS>(0xC0000003),  // STATUS_INVALID_INFO_CLASS
      static_cast<NTSTATUS>(0xC000000D),  // STATUS_INVALID_PARAMETER
      static_cast<NTSTATUS>(0xC00000BB),  // STATUS_NOT_SUPPORTED
  };
  for (const NTSTATUS unsupported : kUnsupported) {
    if (status == unsupported) return true;
  }
  return false;
}

// The open entry's path in the form `form`; none where the form is not
// offered (`*unsupported` then set) or the question fails.
std::optional<PathString> PathInForm(HANDLE entry, FILE_INFORMATION_CLASS form, bool* unsupported) {
  // The length in bytes, then the path: room for the longest path there is.
  std::vector<ULONG> answer(1 + 0x10000 / sizeof(ULONG));
  const auto bytes = static_cast<ULONG>(answer.size() * sizeof(ULONG));
  IO_STATUS_BLOCK io;
  const NTSTATUS status = NtQueryInformationFile(entry, &io, answer.data(), bytes, form);
  *unsupported = IsUnsupported(status);
  if (!NT_SUCCESS(status)) return std::nullopt;
  const ULONG length = std::min<ULONG>(answer[0], bytes - sizeof(ULONG));
  return PathString(reinterpret_cast<const wchar_t*>(answer.data() + 1), length / sizeof(wchar_t));
}

}  // namespace

std::optional<PathString> StoredPathOf(HANDLE entry) {
  for (const FILE_INFORMATION_CLASS form : {kNormalizedName, kOpenedName}) {
    bool unsupported = false;
    std::optional<PathString> path = PathInForm(entry, form, &unsupported);
    if (!unsupported) return path;
  }
  return std::nullopt;
}

}  // namespace dustvane
