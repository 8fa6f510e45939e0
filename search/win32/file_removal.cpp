#include "search/win32/file_removal.h"

#include <windows.h>

#include "search/win32/api_path.h"
#include "search/win32/entry_open.h"
#include "search/win32/folder_identity.h"
#include "search/win32/stored_name.h"
#include "search/win32/win32_failure.h"
#include "search/proven_way.h"

namespace dustvane {

namespace {

Failure Gone() { return Win32Failure(ERROR_FILE_NOT_FOUND); }

// FileDispositionInfoEx and its flags, which the compiler's headers offer
// only to programs that require Windows 10.
static_assert(FileIdExtdDirectoryRestartInfo == 20, "FileDispositionInfoEx comes next");
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD kDispositionDelete = 0x1;
constexpr DWORD kDispositionPosixSemantics = 0x2;

// The way to a file's folder (search/proven_way.h): the root on its
// recorded volume, each folder below by its name inside the one above, which
// keeps it on that volume, each bearing the identity it was recorded with.
// Any step that fails leaves the file gone.
struct WayOps {
  const WalkedTree& walked;

  Result<OwnedHandle> OpenRoot(PathView path) {
    const Result<PathString> exact = ApiPath(PathString(path));
    if (!exact.ok() || !walked.volume) return Gone();
    Result<OwnedHandle> root = OpenFolderAt(exact.value());
    if (!root.ok() || VolumeSerialOf(root.value().get()) != walked.volume) return Gone();
    return root;
  }
  Result<OwnedHandle> OpenChild(const OwnedHandle& folder, PathView name) {
    Result<OwnedHandle> child = OpenFolderIn(folder.get(), name);
    if (!child.ok()) return Gone();
    return child;
  }
  bool Bears(const OwnedHandle& folder, const DatedFileId& recorded) {
    const std::optional<DatedFileId> identity = DatedFileIdOf(folder.get());
    return identity.has_value() && *identity == recorded;
  }
  static Failure Gone() { return dustvane::Gone(); }
};

// The last folder on the way to a file, open, and its place in the record.
struct ProvenFolder {
  OwnedHandle handle;
  uint32_t record;
};

// Opens the last folder on the way to the file and proves it level by
// level. `folderPath` is the root's path followed by the folders' names,
// each followed by "\".
Result<ProvenFolder> OpenProvenFolder(const WalkedTree& walked, PathView folderPath) {
  const auto way = walked.folders.WayTo(folderPath);
  if (!way) return Gone();
  WayOps ops{walked};
  Result<OwnedHandle> folder = OpenProvenWay<OwnedHandle>(*way, ops);
  if (!folder.ok()) return folder.failure();
  return ProvenFolder{std::move(folder.value()), way->back().at};
}

// Whether the file just opened by `name` is that entry of its folder and a
// plain file. A name the system may have read lossily must also lead to the
// very file listed.
MaybeFailure CheckIsTheEntry(HANDLE file, PathView name, std::optional<uint64_t> listedId) {
  if (!IsNamed(file, name)) return Gone();
  if (listedId && FileIdOf(file) != *listedId) return Gone();
  // A link to a file, or a file with any other reparse point, is kept.
  // (A folder, or a junction to one, was refused when opened as a file.)
  if (IsReparsePoint(file)) return Win32Failure(ERROR_ACCESS_DENIED);
  return std::nullopt;
}

// Deletes the open file through its handle: it goes when the handle closes,
// whatever its path has become meanwhile.
MaybeFailure DeleteThrough(HANDLE file) {
  FILE_BASIC_INFO basic;
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) return Win32Failure(GetLastError());
  // A read-only file is kept, as the system's own deletion keeps it.
  if ((basic.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0) return Win32Failure(ERROR_ACCESS_DENIED);
  // As the system's own deletion does since Windows 10: the name goes at
  // once, even while another program holds the file open. Where the system
  // or the file system cannot (Wine 8 among them), it goes when the last
  // handle closes.
  DWORD posixDelete = kDispositionDelete | kDispositionPosixSemantics;  // FILE_DISPOSITION_INFO_EX
  if (SetFileInformationByHandle(file, kFileDispositionInfoEx, &posixDelete, sizeof posixDelete)) return std::nullopt;
  FILE_DISPOSITION_INFO disposition{TRUE};
  if (!SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition)) {
    return Win32Failure(GetLastError());
  }
  return std::nullopt;
}

// Whether the name, once the file's handle is closed, no longer leads to
// the file `removed`. The system takes a delete that then does not happen:
// a file another program holds open stays until that program closes it,
// where the newer delete is missing, and under Wine a file system that
// refuses the removal leaves the file where it was. What the system then
// says of the name is the failure; where it says nothing, access was denied.
MaybeFailure CheckGone(HANDLE folder, PathView name, std::optional<uint64_t> removed) {
  const Result<OwnedHandle> again = OpenEntryIn(folder, name);
  if (!again.ok()) {
    const int32_t error = again.failure().number;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
    return again.failure();
  }
  const std::optional<uint64_t> now = FileIdOf(again.value().get());
  if (removed && now && *now != *removed) return std::nullopt;  // another file took the name since
  return Win32Failure(ERROR_ACCESS_DENIED);
}

}  // namespace

MaybeFailure RemoveFileProvenByIds(WalkedTree& walked, const PathString& path) {
  const PathString& root = walked.folders.Root();
  if (root.empty() || path.size() <= root.size() || path.compare(0, root.size(), root) != 0) return Gone();
  PathView rest = PathView(path).substr(root.size());
  // A folder's path: the folder is taken as the last name, and refused.
  if (rest.back() == kSeparator) rest.remove_suffix(1);
  const size_t fileStart = rest.rfind(kSeparator) + 1;  // 0 when the file lies in the root
  const PathView name = rest.substr(fileStart);
  Result<ProvenFolder> folder = OpenProvenFolder(walked, PathView(path).substr(0, root.size() + fileStart));
  if (!folder.ok()) return folder.failure();
  const HANDLE folderHandle = folder.value().handle.get();
  const uint32_t record = folder.value().record;

  Result<OwnedHandle> file = OpenForRemovalIn(folderHandle, name);
  if (!file.ok()) return file.failure();
  const auto lossy = walked.lossyNames.find({record, PathString(name)});
  const std::optional<uint64_t> listedId =
      lossy == walked.lossyNames.end() ? std::nullopt : std::optional<uint64_t>(lossy->second);
  if (MaybeFailure f = CheckIsTheEntry(file.value().get(), name, listedId)) return f;
  if (MaybeFailure f = DeleteThrough(file.value().get())) return f;
  const std::optional<uint64_t> removed = FileIdOf(file.value().get());
  file.value().Close();
  if (MaybeFailure f = CheckGone(folderHandle, name, removed)) return f;
  // The removal changed the folder, which some file systems (Wine's) show
  // in its creation time: the record follows, so that the folder's other
  // lines can still be deleted.
  if (const std::optional<DatedFileId> now = DatedFileIdOf(folderHandle)) walked.folders.Renew(record, *now);
  return std::nullopt;
}

}  // namespace dustvane
