#include "search/win32/folder_scan.h"

#include "search/win32/win32_failure.h"

namespace dustvane {

namespace {

// As large a batch as the system hands out at once (the "large fetch" of a
// pattern search).
constexpr size_t kBatchBytes = 64 * 1024;

}  // namespace

void FolderScan::Start(HANDLE folder) {
  folder_ = folder;
  fromStart_ = true;
  entry_ = nullptr;
}

void FolderScan::Stop() {
  folder_ = nullptr;
  entry_ = nullptr;
}

Result<FolderScan::Entry> FolderScan::Next() {
  if (entry_ == nullptr && !ReadBatch()) {
    const DWORD error = failure_;
    Stop();
    if (error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND || error == ERROR_SUCCESS) return Entry{};
    return Win32Failure(error);
  }
  const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(entry_);
  entry_ = info->NextEntryOffset == 0 ? nullptr : entry_ + info->NextEntryOffset;
  return Entry{PathView(info->FileName, info->FileNameLength / sizeof(wchar_t)), info->FileAttributes,
               info->EndOfFile.QuadPart, static_cast<uint64_t>(info->FileId.QuadPart), info->LastWriteTime.QuadPart};
}

// The next batch of entries into `batch_`, in the ID form of the listing,
// which every Windows since Vista offers.
bool FolderScan::ReadBatch() {
  failure_ = ERROR_SUCCESS;
  if (folder_ == nullptr) return false;
  if (!batch_) batch_ = std::make_unique<int64_t[]>(kBatchBytes / sizeof(int64_t));
  const FILE_INFO_BY_HANDLE_CLASS kind = fromStart_ ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo;
  fromStart_ = false;
  if (!GetFileInformationByHandleEx(folder_, kind, batch_.get(), kBatchBytes)) {
    failure_ = GetLastError();
    return false;
  }
  entry_ = reinterpret_cast<const char*>(batch_.get());
  return true;
}

}  // namespace dustvane
