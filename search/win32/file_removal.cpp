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
// Any step that fails leaves the file gone. `rootPath` is the root's path
// from its volume's root; `byIdAlone` tells whether a folder on the way had
// no creation time of its own to be told by.
struct WayOps {
  const WalkedTree& walked;
  std::optional<PathString> rootPath = std::nullopt;
  bool byIdAlone = false;

  Result<OwnedHandle> OpenRoot(PathView path) {
    const Result<PathString> exact = ApiPath(PathString(path));
    if (!exact.ok() || !walked.volume) return Gone();
    Result<OwnedHandle> root = OpenFolderAt(exact.value());
    if (!root.ok() || VolumeSerialOf(root.value().get()) != walked.volume) return Gone();
    rootPath = StoredPathOf(root.value().get());
    return root;
  }
  Result<OwnedHandle> OpenChild(const OwnedHandle& folder, PathView name) {
    Result<OwnedHandle> child = OpenFolderIn(folder.get(), name);
    if (!child.ok()) return Gone();
    return child;
  }
  bool Bears(const OwnedHandle& folder, const DatedFileId& recorded) {
    const std::optional<DatedFileId> identity = DatedFileIdOf(folder.get());
    if (!recorded.ownCreationTime) byIdAlone = true;
    return identity.has_value() && BearsIdentity(*identity, recorded);
  }
  static Failure Gone() { return dustvane::Gone(); }
};

// The last folder on the way to a file, open, its place in the record, the
// root's path from its volume's root, and whether a folder on the way was
// told by its file ID alone.
struct ProvenFolder {
  OwnedHandle handle;
  uint32_t record;
  std::optional<PathString> rootPath;
  bool byIdAlone;
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
  return ProvenFolder{std::move(folder.value()), way->back().at, std::move(ops.rootPath), ops.byIdAlone};
}

// Whether the open file is the very one the listing showed: the same file
// ID, length and last write time.
bool IsAsListed(HANDLE file, const ListedFile& listed) {
  FILE_STANDARD_INFO standard;
  FILE_BASIC_INFO basic;
  return FileIdOf(file) == listed.fileId &&
         GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) &&
         standard.EndOfFile.QuadPart == listed.length &&
         GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) &&
         basic.LastWriteTime.QuadPart == listed.lastWriteTime;
}

// The path below a search's root as Windows' path clean-up writes it, and
// Wine the path it gives of a handle: a folder's name that ends in one dot
// loses it ("d.\a.tmp" reads "d\a.tmp"). The last name, a line's file name,
// ends in ".tmp" and keeps all.
PathString Cleaned(PathView belowRoot) {
  PathString cleaned;
  for (size_t end; (end = belowRoot.find(kSeparator)) != PathView::npos; belowRoot.remove_prefix(end + 1)) {
    PathView name = belowRoot.substr(0, end);
    if (name.size() >= 2 && name.back() == L'.' && name[name.size() - 2] != L'.') name.remove_suffix(1);
    cleaned.append(name);
    cleaned += kSeparator;
  }
  cleaned.append(belowRoot);
  return cleaned;
}

// Whether the open file lies at the line's path (`belowRoot` below the
// search's root): its path from its volume's root is the root's followed by
// the line's folders and name. The root's path is asked, not the last
// folder's, which Wine gives without the spaces its name ends in. Where Wine
// gives the path cleaned (above), it reads as the path of another entry too,
// to which a link may lead: the file must not be that one.
bool LiesAt(HANDLE file, const WalkedTree& walked, const std::optional<PathString>& rootPath, PathView belowRoot) {
  const std::optional<PathString> path = StoredPathOf(file);
  if (!path || !rootPath) return false;
  PathString root = *rootPath;
  // The volume's root folder is "\" alone.
  if (root.empty() || root.back() != kSeparator) root += kSeparator;
  if (*path == root + PathString(belowRoot)) return true;
  const PathString cleaned = Cleaned(belowRoot);
  if (cleaned == belowRoot || *path != root + cleaned) return false;
  const Result<PathString> twinPath = ApiPath(walked.folders.Root() + cleaned);
  if (!twinPath.ok()) return false;
  const Result<OwnedHandle> twin = OpenEntryAt(twinPath.value());
  return !twin.ok() || FileIdOf(twin.value().get()) != FileIdOf(file);
}

// Whether the file just opened by its name inside the proven folder is the
// line's entry (at `belowRoot`, below the search's root), on the search's
// volume, and a plain file. `listed` is the file as listed, where the line
// must be proven by its file too.
MaybeFailure CheckIsTheEntry(HANDLE file, const WalkedTree& walked, const ProvenFolder& folder, PathView belowRoot,
                             const ListedFile* listed) {
  if (!LiesAt(file, walked, folder.rootPath, belowRoot)) return Gone();
  // Wine opens through a link to a file on another drive too, and its path
  // from that drive's root may read as the line's.
  if (VolumeSerialOf(file) != walked.volume) return Gone();
  if (listed != nullptr && !IsAsListed(file, *listed)) return Gone();
  // A link to a file, or a file with any other reparse point, is kept.
  // (A folder, or a junction to one, was refused when opened as a file.)
  if (IsReparsePoint(file)) return Win32Failure(ERROR_ACCESS_DENIED);
  return std::nullopt;
}

// Whether the delete of the open entry is taken and waits for the last
// handle to it to close.
bool IsDeletePending(HANDLE entry) {
  FILE_STANDARD_INFO standard;
  return GetFileInformationByHandleEx(entry, FileStandardInfo, &standard, sizeof standard) &&
         standard.DeletePending != FALSE;
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
// the file `removed`, or leads to it only until the program that holds it
// open lets go: where the newer delete is missing, the system keeps such a
// file until then, and its delete is taken all the same, so it is no
// failure. Windows says so of the file; Wine does not, but the file then
// still refuses to be opened without sharing. Under Wine a file system that
// refuses the removal leaves the file where it was, held by no one: what
// the system then says of the name is the failure; where it says nothing,
// access was denied.
MaybeFailure CheckGone(HANDLE folder, PathView name, std::optional<uint64_t> removed) {
  const Result<OwnedHandle> again = OpenEntryIn(folder, name);
  if (!again.ok()) {
    const int32_t error = again.failure().number;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_DELETE_PENDING) {
      return std::nullopt;
    }
    return again.failure();
  }
  const std::optional<uint64_t> now = FileIdOf(again.value().get());
  if (removed && now && *now != *removed) return std::nullopt;  // another file took the name since
  if (IsDeletePending(again.value().get())) return std::nullopt;
  const Result<OwnedHandle> unshared = OpenUnsharedIn(folder, name);
  if (!unshared.ok() && unshared.failure().number == ERROR_SHARING_VIOLATION) return std::nullopt;
  return Win32Failure(ERROR_ACCESS_DENIED);
}

}  // namespace

MaybeFailure RemoveFileProvenByIds(const WalkedTree& walked, const PathString& path) {
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

  Result<OwnedHandle> file = OpenForRemovalIn(folderHandle, name);
  if (!file.ok()) {
    // A delete taken already (this line's, pressed before): the name goes
    // when the program that holds the file open lets go.
    if (file.failure().number == ERROR_DELETE_PENDING) return std::nullopt;
    return file.failure();
  }
  const auto listed = walked.files.find({folder.value().record, PathString(name)});
  if (listed == walked.files.end()) return Gone();
  const ListedFile* asListed = folder.value().byIdAlone || MayBeLossy(name) ? &listed->second : nullptr;
  if (MaybeFailure f = CheckIsTheEntry(file.value().get(), walked, folder.value(), rest, asListed)) return f;
  if (MaybeFailure f = DeleteThrough(file.value().get())) return f;
  const std::optional<uint64_t> removed = FileIdOf(file.value().get());
  file.value().Close();
  return CheckGone(folderHandle, name, removed);
}

}  // namespace dustvane
