#include "search/win32/entry_open.h"

#include <winternl.h>

#include "search/win32/win32_failure.h"

namespace dustvane {

namespace {

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr ACCESS_MASK kListing = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr ULONG kFolder = FILE_DIRECTORY_FILE | FILE_OPEN_FOR_BACKUP_INTENT;
constexpr auto kStatusDeletePending = static_cast<NTSTATUS>(0xC0000056);  // STATUS_DELETE_PENDING

// The system's own open, which takes a name relative to an open folder: the
// name is looked up in that folder alone, exactly as it stands.
Result<OwnedHandle> Open(HANDLE folder, PathView name, ACCESS_MASK access, ULONG options, ULONG share = kShareAll) {
  // An empty name would reopen `folder` itself.
  if (name.empty()) return Win32Failure(ERROR_FILE_NOT_FOUND);
  const size_t bytes = name.size() * sizeof(wchar_t);
  if (bytes > 0xFFFE) return Win32Failure(ERROR_FILENAME_EXCED_RANGE);
  UNICODE_STRING text;
  text.Buffer = const_cast<PWSTR>(name.data());
  text.Length = text.MaximumLength = static_cast<USHORT>(bytes);
  OBJECT_ATTRIBUTES object;
  InitializeObjectAttributes(&object, &text, 0, folder, nullptr);
  IO_STATUS_BLOCK io;
  HANDLE handle = nullptr;
  const NTSTATUS status =
      NtOpenFile(&handle, access, &object, &io, share, options | FILE_SYNCHRONOUS_IO_NONALERT);
  if (!NT_SUCCESS(status)) {
    // A file whose delete waits for another program to let go is going, not
    // refused, though the system says access denied: a delete tells the two
    // apart. A folder keeps the system's word, which a walk takes as a folder
    // it may not read.
    if (status == kStatusDeletePending && (options & FILE_DIRECTORY_FILE) == 0) {
      return Win32Failure(ERROR_DELETE_PENDING);
    }
    return Win32Failure(RtlNtStatusToDosError(status));
  }
  return OwnedHandle(handle);
}

// "\\?\X:\..." is the system's own "\??\X:\...": the same path, untouched.
Result<PathString> SystemPath(const PathString& exactPath) {
  PathString systemPath = exactPath;
  if (systemPath.rfind(L"\\\\?\\", 0) != 0) return Win32Failure(ERROR_BAD_PATHNAME);
  systemPath[1] = L'?';
  return systemPath;
}

}  // namespace

Result<OwnedHandle> OpenFolderAt(const PathString& exactPath) {
  const Result<PathString> systemPath = SystemPath(exactPath);
  if (!systemPath.ok()) return systemPath.failure();
  return Open(nullptr, systemPath.value(), kListing, kFolder);
}

Result<OwnedHandle> OpenEntryAt(const PathString& exactPath) {
  const Result<PathString> systemPath = SystemPath(exactPath);
  if (!systemPath.ok()) return systemPath.failure();
  return Open(nullptr, systemPath.value(), FILE_READ_ATTRIBUTES | SYNCHRONIZE, FILE_OPEN_FOR_BACKUP_INTENT);
}

Result<OwnedHandle> OpenFolderIn(HANDLE folder, PathView name) {
  return Open(folder, name, kListing, kFolder | FILE_OPEN_REPARSE_POINT);
}

Result<OwnedHandle> OpenEntryIn(HANDLE folder, PathView name) {
  return Open(folder, name, FILE_READ_ATTRIBUTES | SYNCHRONIZE, FILE_OPEN_FOR_BACKUP_INTENT | FILE_OPEN_REPARSE_POINT);
}

Result<OwnedHandle> OpenForRemovalIn(HANDLE folder, PathView name) {
  return Open(folder, name, DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
              FILE_NON_DIRECTORY_FILE | FILE_OPEN_FOR_BACKUP_INTENT | FILE_OPEN_REPARSE_POINT);
}

Result<OwnedHandle> OpenUnsharedIn(HANDLE folder, PathView name) {
  return Open(folder, name, DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
              FILE_NON_DIRECTORY_FILE | FILE_OPEN_FOR_BACKUP_INTENT | FILE_OPEN_REPARSE_POINT, 0);
}

}  // namespace dustvane
