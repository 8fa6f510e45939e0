// The file-system queries over the Windows API. Names and paths stay UTF-16
// code units from the API to the results list and back, so a name that is
// not valid UTF-16 is still found, listed and deleted exactly. Every path
// reaches the API in its exact form (ApiPath): the search's root, made full
// once, followed by the names as the enumeration gave them.
//
// A walk lists each folder through a handle of its own, opened by its name
// inside its parent's (FolderChain). The folders that hold a match, and
// those above them, are recorded with their identities (WalkedTree), and
// a delete removes a line's file only through those very folders.

#include <windows.h>

#include "search/file_system.h"
#include "search/enumeration_cursor.h"
#include "search/win32/api_path.h"
#include "search/win32/entry_open.h"
#include "search/win32/file_removal.h"
#include "search/win32/folder_chain.h"
#include "search/win32/folder_identity.h"
#include "search/win32/folder_scan.h"
#include "search/win32/walked_tree.h"
#include "search/win32/win32_failure.h"

namespace dustvane {

namespace {

// The attribute bits the program uses have the same values as Windows'.
constexpr DWORD kKnownBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                             FILE_ATTRIBUTE_DIRECTORY;
static_assert(AttrReadOnly == FILE_ATTRIBUTE_READONLY && AttrHidden == FILE_ATTRIBUTE_HIDDEN &&
              AttrSystem == FILE_ATTRIBUTE_SYSTEM && AttrDirectory == FILE_ATTRIBUTE_DIRECTORY);

bool IsFolderLink(DWORD bits) {
  return (bits & FILE_ATTRIBUTE_DIRECTORY) != 0 && (bits & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A junction or a link to a folder is a folder as far as the masks go, so the
// file pass never lists one as a match; but the attribute query reports it
// without the directory bit, so the search never enters it: no loops, and
// nothing outside the tree it was given.
Attributes QueryAttributes(DWORD bits) {
  Attributes attributes = bits & kKnownBits;
  if (IsFolderLink(bits)) attributes &= ~AttrDirectory;
  return attributes;
}

// Where the folder part of a pattern ends: after its last separator. ApiPath
// refuses the folder of a pattern without one ("C:*.tmp") or with a "/".
size_t FolderPartLength(const PathString& pattern) {
  const size_t separator = pattern.find_last_of(L"\\/");
  return separator == PathString::npos ? 0 : separator + 1;
}

// The root folder of a drive holds no "." or ".." on Windows. Wine's
// listing shows them there too, and its pattern search drops them, as this
// layer does.
bool IsDriveRoot(const PathString& folder) {
  PathView rest(folder);
  if (rest.rfind(L"\\\\?\\", 0) == 0) rest.remove_prefix(4);
  return rest.size() == 3 && rest[1] == L':' && rest[2] == L'\\';
}

bool IsDotOrDotDot(PathView name) { return name == L"." || name == L".."; }

// A name holding the separator (which another system can give, such as
// Linux on a drive that Wine maps) would read as a path through other
// folders: no path names that entry, so the walk passes it over.
bool IsNameable(PathView name) { return name.find(kSeparator) == PathView::npos; }

class Win32FileSystem final : public FileSystem {
 public:
  // Lists the whole folder and filters the names with the program's own
  // matcher: the system's pattern search would also match a name pattern
  // against the 8.3 short names, so "*.tmp" would find "notes.tmpl" through
  // "NOTES~1.TMP".
  Result<PathString> EnumFirst(const PathString& pattern, Attributes mask) override {
    scan_.Stop();
    cursor_.Stop();
    const size_t folderLength = FolderPartLength(pattern);
    const PathString folderPath = pattern.substr(0, folderLength);
    atDriveRoot_ = IsDriveRoot(folderPath);

    if (MaybeFailure refused = ApiPathRefusal(folderPath + L"*")) return *refused;
    const Result<HANDLE> folder = chain_.Reach(folderPath);
    listed_ = nullptr;
    if (folder.ok()) {
      listed_ = folder.value();
      scan_.Start(listed_);
      if ((mask & AttrDirectory) != 0) chain_.ForgetListedFolders();
    } else {
      const int32_t error = folder.failure().number;
      // A folder not there is a path not found, as for a pattern search; a
      // folder we may not read is an empty one: a whole-disk search meets
      // many protected folders, none worth a message.
      if (error == ERROR_FILE_NOT_FOUND) return Win32Failure(ERROR_PATH_NOT_FOUND);
      if (error != ERROR_ACCESS_DENIED) return folder.failure();
    }
    cursor_.Start(folderPath, pattern.substr(folderLength), mask);
    return Advance();
  }

  Result<PathString> EnumNext() override {
    if (!cursor_.Started()) return Win32Failure(ERROR_INVALID_HANDLE);
    return Advance();
  }

  Result<Attributes> FileAttributes(const PathString& path, Attributes wanted) override {
    if (cursor_.IsLastHanded(path)) return QueryAttributes(handed_.attributes) & wanted;
    const Result<PathString> exact = ApiPath(path);
    if (!exact.ok()) return exact.failure();
    const DWORD bits = GetFileAttributesW(exact.value().c_str());
    if (bits == INVALID_FILE_ATTRIBUTES) return Win32Failure(GetLastError());
    return QueryAttributes(bits) & wanted;
  }

  // The entry just handed out is answered from the listing, which describes
  // that very entry: a lookup of its name could find another one (a case
  // twin, a short name), or none where the path parser refuses the name or
  // a folder above was renamed meanwhile.
  Result<int64_t> FileLength(const PathString& path) override {
    if (cursor_.IsLastHanded(path)) return handed_.length;
    const Result<PathString> exact = ApiPath(path);
    if (!exact.ok()) return exact.failure();
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(exact.value().c_str(), GetFileExInfoStandard, &data)) {
      return Win32Failure(GetLastError());
    }
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  }

  MaybeFailure RemoveFile(const PathString& path) override {
    cursor_.Forget();
    if (MaybeFailure refused = ApiPathRefusal(path)) return refused;
    return RemoveFileProvenByIds(walked_, path);
  }

  // A new search: what the last one walked is forgotten.
  Result<PathString> SearchRoot(const PathString& folder) override {
    chain_.Close();
    Result<PathString> root = FullRoot(folder);
    walked_.Begin(root.ok() ? root.value() : PathString());
    return root;
  }

  void CloseFolders() override {
    scan_.Stop();
    cursor_.Forget();
    chain_.Close();
  }

 private:
  // The next entry that passes the mask and the name pattern. `handed_`
  // keeps the entry handed out last, whose attributes the directory pass
  // asks next.
  Result<PathString> Advance() {
    cursor_.Forget();
    while (true) {
      Result<FolderScan::Entry> entry = scan_.Next();
      if (!entry.ok()) return entry.failure();
      const FolderScan::Entry& found = entry.value();
      if (found.name.empty()) return PathString();
      if (atDriveRoot_ && IsDotOrDotDot(found.name)) continue;
      if (!IsNameable(found.name)) continue;
      if (!cursor_.Passes(found.name, found.attributes & kKnownBits)) continue;
      if (MayBeLossy(found.name) && !LeadsToItself(found)) continue;
      handed_ = found;
      cursor_.Hand(handed_.name);
      if ((cursor_.Mask() & AttrDirectory) != 0) {
        // The walk enters a sub-folder only if it is the one listed here.
        if ((QueryAttributes(found.attributes) & AttrDirectory) != 0) chain_.NoteListedFolder(found.name, found.fileId);
      } else {
        // A file pass hands out matches: a delete of one goes through the
        // folders that lead to it, so they are recorded now.
        RecordInnermost();
        NoteListedFile(found);
      }
      return PathString(found.name);
    }
  }

  // Whether the entry's name, looked up in its folder, leads to the entry
  // itself; where the file system gives no file IDs it cannot be told.
  bool LeadsToItself(const FolderScan::Entry& entry) const {
    if (IsNoFileId(entry.fileId)) return true;
    const Result<OwnedHandle> named = OpenEntryIn(listed_, entry.name);
    return named.ok() && FileIdOf(named.value().get()) == entry.fileId;
  }

  // The line's file as listed, for a delete that must prove the line by
  // its file too (walked_tree.h).
  void NoteListedFile(const FolderScan::Entry& entry) {
    if (chain_.Depth() == 0) return;
    const uint32_t folder = chain_.RecordIndex(chain_.Depth() - 1);
    if (folder == FolderChain::kNotRecorded) return;
    walked_.files.insert_or_assign({folder, PathString(entry.name)},
                                   ListedFile{entry.fileId, entry.length, entry.lastWriteTime});
  }

  // Records the chain's folders, from the search's root down to the one
  // being listed, unless they are recorded already. A chain that does not
  // start at the search's root is not recorded: no delete could be proven
  // through it.
  void RecordInnermost() {
    if (chain_.Depth() == 0 || chain_.RecordIndex(chain_.Depth() - 1) != FolderChain::kNotRecorded) return;
    if (chain_.Path(0) != walked_.folders.Root()) return;
    if (chain_.RecordIndex(0) == FolderChain::kNotRecorded) {
      const std::optional<uint32_t> volume = VolumeSerialOf(chain_.Handle(0));
      if (!volume) return;
      walked_.volume = *volume;
    }
    uint32_t parent = WalkedFolders<DatedFileId>::kNone;
    for (size_t level = 0; level < chain_.Depth(); ++level) {
      uint32_t& recorded = chain_.RecordIndex(level);
      if (recorded == FolderChain::kNotRecorded) {
        const std::optional<DatedFileId> identity = DatedFileIdOf(chain_.Handle(level));
        if (!identity) return;
        recorded = walked_.folders.Add(parent, chain_.Name(level), *identity);
      }
      parent = recorded;
    }
  }

  // The enumeration cursor, and what it hands out from.
  EnumerationCursor cursor_;
  FolderChain chain_;
  HANDLE listed_ = nullptr;  // the folder being listed, the chain's innermost
  FolderScan scan_;
  FolderScan::Entry handed_;  // the entry handed out last, while the cursor says so
  bool atDriveRoot_ = false;

  // What the last search walked, for deletes of its lines.
  WalkedTree walked_;
};

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() { return std::make_unique<Win32FileSystem>(); }

PathString LocalDiskRoot() { return L"C:\\"; }

}  // namespace dustvane
