// The order in which the search calls the file-system queries, checked call
// by call against what file_system.h promises the layers below: the POSIX
// layer reads each folder once and reads ahead on the strength of it.

#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "search/find_files.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/search_run.h"

namespace dustvane::testing {
namespace {

std::string Narrow(const PathString& path) { return std::string(path.begin(), path.end()); }

bool IsDotOrDotDot(const PathString& name) { return name == DV_PATH(".") || name == DV_PATH(".."); }

// Passes every query on to a scripted file system and notes each call that
// breaks the contract.
class ContractCheckingFileSystem final : public FileSystem {
 public:
  explicit ContractCheckingFileSystem(FakeFileSystem& inner) : inner_(inner) {}

  std::vector<std::string> violations;

  Result<PathString> EnumFirst(const PathString& pattern, Attributes mask) override {
    const PathString folder = pattern.substr(0, pattern.rfind(kSeparator) + 1);
    const bool folders = (mask & AttrDirectory) != 0;
    if (folders && !walking_) {
      walking_ = true;
      levels_ = {Level(folder)};
    } else if (folders) {
      Descend(folder);
    } else if (!walking_ || pass_ != Pass::kFolders || passFolder_ != folder || !levels_.back().foldersWhole) {
      Violation("a file pass not right after its folder's whole directory pass", folder);
    }
    pass_ = folders ? Pass::kFolders : Pass::kFiles;
    passFolder_ = folder;
    return Handed(inner_.EnumFirst(pattern, mask));
  }

  Result<PathString> EnumNext() override {
    if (pass_ == Pass::kNone || ended_) Violation("EnumNext with no pass going on", passFolder_);
    return Handed(inner_.EnumNext());
  }

  Result<Attributes> FileAttributes(const PathString& path, Attributes wanted) override {
    if (pass_ != Pass::kFolders || !Asks(path) || IsDotOrDotDot(last_) || wanted != AttrDirectory) {
      Violation("FileAttributes of another than the name just handed out", path);
    }
    Result<Attributes> attributes = inner_.FileAttributes(path, wanted);
    if (attributes.ok() && (attributes.value() & AttrDirectory) != 0 && walking_) {
      levels_.back().subFolders.push_back(last_);
    }
    return attributes;
  }

  Result<int64_t> FileLength(const PathString& path) override {
    if (pass_ != Pass::kFiles || !Asks(path)) Violation("FileLength of another than the match just handed out", path);
    return inner_.FileLength(path);
  }

  MaybeFailure RemoveFile(const PathString& path) override { return inner_.RemoveFile(path); }

  void CloseFolders() override {
    if (!walking_) Violation("CloseFolders with no walk", PathString());
    walking_ = false;
    pass_ = Pass::kNone;
    inner_.CloseFolders();
  }

 private:
  enum class Pass { kNone, kFolders, kFiles };
  struct Level {
    explicit Level(PathString at) : folder(std::move(at)) {}
    PathString folder;
    std::vector<PathString> subFolders;  // as its directory pass found them
    size_t next = 0;
    bool foldersWhole = false;  // its directory pass ran to the empty string
    bool whole = false;         // and so did its file pass
  };

  void Violation(const char* what, const PathString& path) { violations.push_back(what + (": " + Narrow(path))); }

  // A directory pass below the root must be of the next sub-folder of a
  // folder on the walk's way whose passes both ran to their end; the folders
  // below that one are left for good.
  void Descend(const PathString& folder) {
    for (; !levels_.empty(); levels_.pop_back()) {
      Level& level = levels_.back();
      if (level.whole && level.next < level.subFolders.size() &&
          folder == level.folder + level.subFolders[level.next] + kSeparator) {
        ++level.next;
        levels_.push_back(Level(folder));
        return;
      }
    }
    Violation("a directory pass of no folder that comes next", folder);
    levels_ = {Level(folder)};
  }

  Result<PathString> Handed(Result<PathString> name) {
    asked_ = false;
    ended_ = name.ok() && name.value().empty();
    if (name.ok()) last_ = name.value();
    if (ended_ && walking_ && pass_ == Pass::kFolders) levels_.back().foldersWhole = true;
    if (ended_ && walking_ && pass_ == Pass::kFiles) levels_.back().whole = true;
    return name;
  }

  // Whether `path` is the name just handed out, asked about once.
  bool Asks(const PathString& path) {
    const bool once = !asked_ && !ended_ && path == passFolder_ + last_;
    asked_ = true;
    return once;
  }

  FakeFileSystem& inner_;
  bool walking_ = false;
  std::vector<Level> levels_;
  Pass pass_ = Pass::kNone;
  PathString passFolder_;
  PathString last_;
  bool ended_ = false;
  bool asked_ = false;
};

struct Tree {
  const char* what;
  void (*make)(FakeFileSystem&);
};

const Tree kTrees[] = {
    {"nested folders, hidden ones and a folder named like a match",
     [](FakeFileSystem& fs) {
       fs.AddFolder(P("/r/zeta/deep"));
       fs.AddFile(P("/r/zeta/deep/d.tmp"), 1);
       fs.AddFile(P("/r/b.TMP"), 10);
       fs.AddFolder(P("/r/.hidden"), AttrHidden);
       fs.AddFile(P("/r/.hidden/h.tmp"), 2);
       fs.AddFolder(P("/r/old.tmp"));
       fs.AddFolder(P("/r/old.tmp/inner"));
       fs.AddFolder(P("/r/system"), AttrSystem);
       fs.AddFile(P("/r/system/never.tmp"));
     }},
    {"failures that end a pass, and some that are passed over",
     [](FakeFileSystem& fs) {
       fs.AddFolder(P("/r/a/below"));
       fs.AddFile(P("/r/a/gone"));
       fs.AddFile(P("/r/a/x.tmp"));
       fs.FailAttributes(P("/r/a/gone"), NoSuchFile());
       fs.AddFolder(P("/r/b/below"));
       fs.AddFile(P("/r/b/x.tmp"));
       fs.FailLength(P("/r/b/x.tmp"), AccessDenied());
       fs.AddFolder(P("/r/c"));
       fs.AddFile(P("/r/c/pagefile.sys"));
       fs.FailAttributes(P("/r/c/pagefile.sys"), AccessDenied());
       fs.AddFolder(P("/r/c/after"));
       fs.AddFolder(P("/r/d"));
       fs.FailEnumFirst(P("/r/d"), AccessDenied());
       fs.AddFolder(P("/r/e/f"));
     }},
};

TEST(CallContractTest, TheSearchCallsTheQueriesInTheOrderTheLayersRelyOn) {
  for (const Tree& tree : kTrees) {
    SCOPED_TRACE(tree.what);
    FakeFileSystem fake;
    tree.make(fake);
    fake.AddFolder(P("/s/t"));
    ContractCheckingFileSystem fs(fake);
    RecordingResults results;
    RecordingMessages messages;
    RunSearch(fs, results, messages, P("/r"));
    RunSearch(fs, results, messages, P("/s"));  // a second walk
    RunSearch(fs, results, messages, P("/r"));
    EXPECT_THAT(fs.violations, ::testing::IsEmpty());
  }
}

TEST(CallContractTest, ACallOutOfOrderIsCaught) {
  FakeFileSystem fake;
  fake.AddFolder(P("/r/a"));
  fake.AddFolder(P("/r/b"));
  ContractCheckingFileSystem fs(fake);
  ASSERT_TRUE(fs.EnumFirst(P("/r/"), kFoldersAndFilesMask).ok());
  ASSERT_TRUE(fs.EnumFirst(P("/r/a/"), kFoldersAndFilesMask).ok());  // before the passes of /r ended
  EXPECT_THAT(fs.violations, ::testing::ElementsAre("a directory pass of no folder that comes next: " +
                                                    Narrow(P("/r/a/"))));
}

}  // namespace
}  // namespace dustvane::testing
