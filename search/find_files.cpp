#include "search/find_files.h"

#include <limits>
#include <new>
#include <optional>
#include <vector>

namespace dustvane {

namespace {

// A count's increment past its largest value fails instead of wrapping
// round. The file count is 16-bit, so 32,767 matches fill it; the folder
// counts are 64-bit, which no tree comes near.
template <class Count>
MaybeFailure CheckedIncrement(Count& count) {
  if (count == std::numeric_limits<Count>::max()) return OverflowFailure();
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

// What every folder of one search shares.
struct SearchState {
  SearchContext& context;
  const PathString& searchStr;
  int16_t& fileCount;
  FolderCount& dirCount;
  // The path of the folder being worked on. Each folder's path is a prefix of
  // its sub-folders' paths, so one buffer serves the whole chain and memory
  // grows with the depth, not with its square.
  PathString path;
};

// One folder of the search, with the state it keeps while it is searched.
class Level {
 public:
  Level(SearchState& state, size_t pathLength) : state_(&state), pathLength_(pathLength) {}

  // Lists the folder's own matches and collects its sub-folders.
  void SearchOwnEntries() {
    MaybeFailure failure = Guarded([&] { return DirectoryPass(); });
    if (!failure) failure = Guarded([&] { return FilePass(); });
    if (failure) Fail(*failure);
  }

  bool Over() const { return outcome_.has_value(); }
  Result<ByteTotal> Outcome() const { return *outcome_; }
  size_t PathLength() const { return pathLength_; }

  // The next sub-folder to search, in the order the directory pass found
  // them; null once all have been searched, which ends the level.
  const PathString* NextSubFolder() {
    if (nextSubFolder_ == subFolderCount_) {
      outcome_ = total_;
      return nullptr;
    }
    return &subFolders_[static_cast<size_t>(nextSubFolder_++)];
  }

  // Takes in what the search of a sub-folder came to.
  void Absorb(const Result<ByteTotal>& subTotal) {
    if (subTotal.ok()) {
      total_ += subTotal.value();
    } else {
      Fail(subTotal.failure());
    }
  }

  // Shows the failure and ends the level with what it has gathered. A failure
  // while showing it cannot be handled here and goes to the calling level.
  void Fail(const Failure& failure) {
    MaybeFailure shown = Guarded([&] {
      return state_->context.messages.Show(ErrorMessageText(failure), kUnexpectedErrorTitle);
    });
    if (shown) {
      outcome_ = *shown;
    } else {
      outcome_ = total_;
    }
  }

 private:
  FileSystem& Fs() { return state_->context.fileSystem; }

  // The folder's path, or the path of one of its entries, in the shared buffer.
  const PathString& FolderPath() {
    state_->path.resize(pathLength_);
    return state_->path;
  }
  const PathString& EntryPath(const PathString& name) {
    state_->path.resize(pathLength_);
    state_->path += name;
    return state_->path;
  }

  // Collects the folder's sub-folders. A failure while the pass stands on a
  // ".sys" name is dropped and the pass goes on with the next entry; any other
  // failure ends the pass and is returned.
  MaybeFailure DirectoryPass() {
    Result<PathString> first = Fs().EnumFirst(FolderPath(), kFoldersAndFilesMask);
    if (!first.ok()) return first.failure();
    entryName_ = std::move(first.value());

    bool lastStepWasResumedNext = false;
    while (!entryName_.empty()) {
      if (!IsDotOrDotDot(entryName_)) {
        MaybeFailure failure = Guarded([&] { return ExamineEntry(); });
        if (failure && !EndsInDotSys(entryName_)) return failure;
      }
      Result<PathString> next = Fs().EnumNext();
      if (!next.ok()) {
        // The same ".sys" entry is allowed one more try at moving on; a
        // cursor that fails again in the same place would fail forever, so
        // that second failure is reported and ends the level.
        if (EndsInDotSys(entryName_) && !lastStepWasResumedNext) {
          lastStepWasResumedNext = true;
          next = Fs().EnumNext();
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
    Result<Attributes> attributes = Fs().FileAttributes(EntryPath(entryName_), AttrDirectory);
    if (!attributes.ok()) return attributes.failure();
    if ((attributes.value() & AttrDirectory) == 0) return std::nullopt;

    const size_t position = static_cast<size_t>(subFolderCount_);
    if (subFolders_.size() > position) {
      subFolders_[position] = entryName_;
    } else {
      subFolders_.push_back(entryName_);
    }
    if (MaybeFailure f = CheckedIncrement(state_->dirCount)) return f;
    return CheckedIncrement(subFolderCount_);
  }

  // Lists the folder's own matches. Each match's length is added before it
  // is counted, so a match that overflows the count is in the total but not
  // listed.
  MaybeFailure FilePass() {
    Result<PathString> match = Fs().EnumFirst(FolderPath() + state_->searchStr, kAllFilesMask);
    while (true) {
      if (!match.ok()) return match.failure();
      if (match.value().empty()) return std::nullopt;
      const PathString& matchPath = EntryPath(match.value());
      Result<int64_t> length = Fs().FileLength(matchPath);
      if (!length.ok()) return length.failure();
      total_ += ByteTotal(static_cast<uint64_t>(length.value()));
      if (MaybeFailure f = CheckedIncrement(state_->fileCount)) return f;
      if (MaybeFailure f = state_->context.results.AddItem(matchPath)) return f;
      match = Fs().EnumNext();
    }
  }

  SearchState* state_;
  size_t pathLength_;

  ByteTotal total_;
  std::vector<PathString> subFolders_;
  FolderCount subFolderCount_ = 0;
  FolderCount nextSubFolder_ = 0;
  PathString entryName_;
  std::optional<Result<ByteTotal>> outcome_;
};

// Starts the search of the next sub-folder of the innermost level, or ends
// that level when it has none left.
MaybeFailure Descend(SearchState& state, std::vector<Level>& levels) {
  Level& parent = levels.back();
  const PathString* name = parent.NextSubFolder();
  if (name == nullptr) return std::nullopt;
  state.path.resize(parent.PathLength());
  state.path += *name;
  state.path += kSeparator;
  levels.emplace_back(state, state.path.size());
  return std::nullopt;
}

}  // namespace

std::string ErrorMessageText(const Failure& failure) {
  return "Error: " + std::to_string(failure.number) + " - " + failure.description;
}

// The folders being searched are kept in a list, outermost first, rather than
// on the call stack, so depth is bounded by memory alone: a chain of folders
// as deep as any file system allows is searched whole.
Result<ByteTotal> FindFiles(SearchContext& context, PathString& path, const PathString& searchStr,
                            int16_t& fileCount, FolderCount& dirCount) {
  SearchState state{context, searchStr, fileCount, dirCount, PathString()};
  std::vector<Level> levels;
  MaybeFailure failure = Guarded([&]() -> MaybeFailure {
    if (path.empty() || path.back() != kSeparator) path += kSeparator;
    Result<PathString> root = context.fileSystem.SearchRoot(path);
    if (!root.ok()) return root.failure();
    path = std::move(root.value());
    state.path = path;
    levels.reserve(64);
    return std::nullopt;
  });
  levels.emplace_back(state, state.path.size());
  if (failure) {
    levels.back().Fail(*failure);
  } else {
    levels.back().SearchOwnEntries();
  }

  while (true) {
    if (!levels.back().Over()) {
      const size_t depth = levels.size();
      if (MaybeFailure f = Guarded([&] { return Descend(state, levels); })) {
        levels.back().Fail(*f);
      } else if (levels.size() > depth) {
        levels.back().SearchOwnEntries();
      }
      continue;
    }
    const Result<ByteTotal> outcome = levels.back().Outcome();
    levels.pop_back();
    if (levels.empty()) return outcome;
    levels.back().Absorb(outcome);
  }
}

}  // namespace dustvane
