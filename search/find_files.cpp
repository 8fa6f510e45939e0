#include "search/find_files.h"

#include <new>
#include <vector>

namespace dustvane {

namespace {

constexpr int16_t kLargestCount = 32767;

// Counts are 16-bit: the increment past the largest value fails instead of
// wrapping round.
MaybeFailure CheckedIncrement(int16_t& count) {
  if (count == kLargestCount) return OverflowFailure();
  ++count;
  return std::nullopt;
}

// Runs one step, turning a lack of memory into the failure the user is shown.
template <class Step>
MaybeFailure Guarded(Step&& step) {
  try {
    return step();
  } catch (const std::bad_alloc&) {
    return OutOfMemoryFailure();
  }
}

bool IsDotOrDotDot(const PathString& name) {
  return name == DV_PATH(".") || name == DV_PATH("..");
}

// Failures on entries whose names end in ".sys" (exactly, lower case) are
// passed over: such entries are often held open by the system and fail to
// answer, and a search should not stop for them.
bool EndsInDotSys(const PathString& name) {
  static const PathString kSys = DV_PATH(".sys");
  return name.size() >= kSys.size() && name.compare(name.size() - kSys.size(), kSys.size(), kSys) == 0;
}

// One call of the search: one folder, with the state it keeps while it runs.
class Level {
 public:
  Level(SearchContext& context, PathString& path, const PathString& searchStr,
        int16_t& fileCount, int16_t& dirCount)
      : context_(context),
        fs_(context.fileSystem),
        path_(path),
        searchStr_(searchStr),
        fileCount_(fileCount),
        dirCount_(dirCount) {}

  Result<int64_t> Run() {
    MaybeFailure failure = Guarded([&] { return Prepare(); });
    if (!failure) failure = Guarded([&] { return DirectoryPass(); });
    if (!failure) failure = Guarded([&] { return FilePass(); });
    if (!failure) failure = Guarded([&] { return SubFolderPass(); });
    if (failure) return Report(*failure);
    return total_;
  }

 private:
  MaybeFailure Prepare() {
    if (path_.empty() || path_.back() != kSeparator) path_ += kSeparator;
    entryPath_ = path_;
    return std::nullopt;
  }

  // Collects the folder's sub-folders. A failure while the pass stands on a
  // ".sys" name is dropped and the pass goes on with the next entry; any other
  // failure ends the pass and is returned.
  MaybeFailure DirectoryPass() {
    Result<PathString> first = fs_.EnumFirst(path_, kFoldersAndFilesMask);
    if (!first.ok()) return first.failure();
    entryName_ = std::move(first.value());

    bool lastStepWasResumedNext = false;
    while (!entryName_.empty()) {
      if (!IsDotOrDotDot(entryName_)) {
        MaybeFailure failure = Guarded([&] { return ExamineEntry(); });
        if (failure && !EndsInDotSys(entryName_)) return failure;
      }
      Result<PathString> next = fs_.EnumNext();
      if (!next.ok()) {
        // The same ".sys" entry is allowed one more try at moving on; a
        // cursor that fails again in the same place would fail forever, so
        // that second failure is reported and ends the level.
        if (EndsInDotSys(entryName_) && !lastStepWasResumedNext) {
          lastStepWasResumedNext = true;
          next = fs_.EnumNext();
        }
        if (!next.ok()) return next.failure();
      }
      lastStepWasResumedNext = false;
      entryName_ = std::move(next.value());
    }
    return std::nullopt;
  }

  // Records the entry as a sub-folder if it is one. The name is stored before
  // the folder count is raised, so a count that overflows leaves it stored but
  // not counted.
  MaybeFailure ExamineEntry() {
    entryPath_.resize(path_.size());
    entryPath_ += entryName_;
    Result<Attributes> attributes = fs_.FileAttributes(entryPath_, AttrDirectory);
    if (!attributes.ok()) return attributes.failure();
    if ((attributes.value() & AttrDirectory) == 0) return std::nullopt;

    const size_t position = static_cast<size_t>(subFolderCount_);
    if (subFolders_.size() > position) {
      subFolders_[position] = entryName_;
    } else {
      subFolders_.push_back(entryName_);
    }
    if (MaybeFailure f = CheckedIncrement(dirCount_)) return f;
    return CheckedIncrement(subFolderCount_);
  }

  // Lists the folder's own matches. F3 (the length) comes before F4 (the
  // count), so a match that overflows the count is in the total but not listed.
  MaybeFailure FilePass() {
    Result<PathString> match = fs_.EnumFirst(path_ + searchStr_, kAllFilesMask);
    while (true) {
      if (!match.ok()) return match.failure();
      if (match.value().empty()) return std::nullopt;
      entryPath_.resize(path_.size());
      entryPath_ += match.value();
      Result<int64_t> length = fs_.FileLength(entryPath_);
      if (!length.ok()) return length.failure();
      total_ += length.value();
      if (MaybeFailure f = CheckedIncrement(fileCount_)) return f;
      if (MaybeFailure f = context_.results.AddItem(entryPath_)) return f;
      match = fs_.EnumNext();
    }
  }

  // Searches each sub-folder in the order the directory pass found them.
  MaybeFailure SubFolderPass() {
    const int16_t count = subFolderCount_;
    for (int16_t i = 0; i < count; ++i) {
      PathString subPath = path_ + subFolders_[static_cast<size_t>(i)] + kSeparator;
      Result<int64_t> subTotal = FindFiles(context_, subPath, searchStr_, fileCount_, dirCount_);
      if (!subTotal.ok()) return subTotal.failure();
      total_ += subTotal.value();
    }
    return std::nullopt;
  }

  // Shows the failure and ends the level with what it has gathered. A failure
  // while showing it cannot be handled here and goes to the caller.
  Result<int64_t> Report(const Failure& failure) {
    MaybeFailure shown = Guarded([&] {
      return context_.messages.Show(ErrorMessageText(failure), kUnexpectedErrorTitle);
    });
    if (shown) return *shown;
    return total_;
  }

  SearchContext& context_;
  FileSystem& fs_;
  PathString& path_;
  const PathString& searchStr_;
  int16_t& fileCount_;
  int16_t& dirCount_;

  int64_t total_ = 0;
  std::vector<PathString> subFolders_;
  int16_t subFolderCount_ = 0;
  PathString entryName_;
  PathString entryPath_;  // reused buffer for path + entry name
};

}  // namespace

std::string ErrorMessageText(const Failure& failure) {
  return "Error: " + std::to_string(failure.number) + " - " + failure.description;
}

Result<int64_t> FindFiles(SearchContext& context, PathString& path,
                          const PathString& searchStr, int16_t& fileCount,
                          int16_t& dirCount) {
  Level level(context, path, searchStr, fileCount, dirCount);
  return level.Run();
}

}  // namespace dustvane
