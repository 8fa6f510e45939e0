#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "search/file_system.h"
#include "search/find_files.h"

namespace dustvane::testing {

// An in-memory file system whose enumeration order and failures a test
// scripts. Folders hold "." and ".." (except the root) and list their entries
// in the order they were added.
class FakeFileSystem final : public FileSystem {
 public:
  FakeFileSystem();

  // Paths use the native separator; folders are given without a trailing one.
  void AddFolder(const PathString& path, Attributes attributes = 0);
  void AddFile(const PathString& path, int64_t length = 0, Attributes attributes = 0);

  // Scripted failures.
  void FailEnumFirst(const PathString& folder, Failure failure);
  void FailAttributes(const PathString& path, Failure failure);
  void FailLength(const PathString& path, Failure failure);
  // EnumNext fails once the enumeration of `folder` has handed out the entry
  // named `after`, `times` times in a row (or for ever) before moving on.
  void FailEnumNextAfter(const PathString& folder, const PathString& after, Failure failure,
                         std::optional<int> times = std::nullopt);
  void FailRemove(const PathString& path, Failure failure);

  bool Exists(const PathString& path) const;
  // Every EnumFirst pattern asked for, in order.
  const std::vector<PathString>& EnumFirstCalls() const { return enumFirstCalls_; }
  int EnumNextFailuresGiven() const { return enumNextFailuresGiven_; }

  Result<PathString> EnumFirst(const PathString& pattern, Attributes mask) override;
  Result<PathString> EnumNext() override;
  Result<Attributes> FileAttributes(const PathString& path, Attributes wanted) override;
  Result<int64_t> FileLength(const PathString& path) override;
  MaybeFailure RemoveFile(const PathString& path) override;

 private:
  struct Entry {
    Attributes attributes;
    int64_t length;
  };
  struct NextFailure {
    PathString after;
    Failure failure;
    std::optional<int> timesLeft;
  };
  static PathString Normal(const PathString& path);
  static PathString Parent(const PathString& normalPath);
  const Entry* Find(const PathString& path) const;
  void Add(const PathString& path, Entry entry);
  Result<PathString> Advance();

  std::map<PathString, std::vector<PathString>> folders_;  // entry names in listing order
  std::map<PathString, Entry> entries_;                     // by full path, "." and ".." included
  std::map<PathString, Failure> enumFirstFailures_, attributeFailures_, lengthFailures_, removeFailures_;
  std::map<PathString, NextFailure> enumNextFailures_;

  bool started_ = false;
  PathString folder_;
  PathString namePattern_;
  Attributes mask_ = 0;
  size_t next_ = 0;
  std::vector<PathString> enumFirstCalls_;
  int enumNextFailuresGiven_ = 0;
};

// Collects the lines the search appends; can be told to refuse one.
class RecordingResults final : public ResultsList {
 public:
  MaybeFailure AddItem(const PathString& line) override;
  std::vector<PathString> lines;
  std::optional<PathString> refuse;  // this line is refused with an error
  std::function<void(const PathString&)> whenAdded;  // runs after each line is added
};

// Records every message shown; can be told to fail the first few showings.
class RecordingMessages final : public MessageDialog {
 public:
  MaybeFailure Show(const std::string& text, const std::string& title) override;
  std::vector<std::string> texts;
  std::vector<std::string> titles;
  int failNextShows = 0;
};

// A path written with "/" separators, in the native form ("/a/b.tmp" is
// "\a\b.tmp" on Windows). Plain ASCII only.
PathString P(const char* path);

// The failures tests script, as the platform would number them.
Failure NoSuchFile();
Failure AccessDenied();

}  // namespace dustvane::testing
