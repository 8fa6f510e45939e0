#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "search/failure.h"
#include "search/name_pattern.h"

namespace dustvane {

// The entries of an open folder, read through its handle in large batches,
// in the order the file system keeps them. The folder's handle stays its
// owner's; the scan only reads through it.
class FolderScan {
 public:
  struct Entry {
    PathView name;  // valid until the next call of Next; empty once the folder has run out
    DWORD attributes = 0;
    int64_t length = 0;   // of the entry itself (a link's own, not its target's)
    uint64_t fileId = 0;  // 0 where the file system gives none
    int64_t lastWriteTime = 0;
  };

  // Reads `folder` from its first entry on, in place of what was read before.
  void Start(HANDLE folder);
  // Nothing more is read: Next gives the end.
  void Stop();
  // The next entry, or one with an empty name at the end. After a failure
  // the scan is stopped.
  Result<Entry> Next();

 private:
  bool ReadBatch();

  HANDLE folder_ = nullptr;
  bool fromStart_ = false;
  std::unique_ptr<int64_t[]> batch_;  // 8-byte aligned, as the entries need
  const char* entry_ = nullptr;       // the next unread entry of the batch
  DWORD failure_ = ERROR_SUCCESS;
};

}  // namespace dustvane
