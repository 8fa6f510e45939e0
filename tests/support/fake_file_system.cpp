#include "tests/support/fake_file_system.h"

#include "search/name_pattern.h"

namespace dustvane::testing {

PathString P(const char* path) {
  PathString out;
  for (const char* c = path; *c != 0; ++c) out += *c == '/' ? kSeparator : static_cast<PathChar>(*c);
  return out;
}

Failure NoSuchFile() { return {2, "No such file or directory"}; }
Failure AccessDenied() { return {13, "Permission denied"}; }

FakeFileSystem::FakeFileSystem() { folders_[PathString(1, kSeparator)] = {}; }

PathString FakeFileSystem::Normal(const PathString& path) {
  PathString p = path;
  while (p.size() > 1 && p.back() == kSeparator) p.pop_back();
  return p;
}

PathString FakeFileSystem::Parent(const PathString& normalPath) {
  const size_t slash = normalPath.rfind(kSeparator);
  if (slash == PathString::npos) return PathString();
  return slash == 0 ? PathString(1, kSeparator) : normalPath.substr(0, slash);
}

void FakeFileSystem::Add(const PathString& path, Entry entry) {
  const PathString p = Normal(path);
  const PathString parent = Parent(p);
  if (folders_.count(parent) == 0) AddFolder(parent);
  folders_[parent].push_back(p.substr(parent.size() == 1 ? 1 : parent.size() + 1));
  entries_[p] = entry;
}

void FakeFileSystem::AddFolder(const PathString& path, Attributes attributes) {
  const PathString p = Normal(path);
  Add(p, {attributes | AttrDirectory, 0});
  folders_[p] = {DV_PATH("."), DV_PATH("..")};
  entries_[p + kSeparator + DV_PATH(".")] = {AttrDirectory, 0};
  entries_[p + kSeparator + DV_PATH("..")] = {AttrDirectory, 0};
}

void FakeFileSystem::AddFile(const PathString& path, int64_t length, Attributes attributes) {
  Add(path, {attributes & ~AttrDirectory, length});
}

void FakeFileSystem::FailEnumFirst(const PathString& folder, Failure failure) {
  enumFirstFailures_[Normal(folder)] = std::move(failure);
}
void FakeFileSystem::FailAttributes(const PathString& path, Failure failure) {
  attributeFailures_[Normal(path)] = std::move(failure);
}
void FakeFileSystem::FailLength(const PathString& path, Failure failure) {
  lengthFailures_[Normal(path)] = std::move(failure);
}
void FakeFileSystem::FailRemove(const PathString& path, Failure failure) {
  removeFailures_[Normal(path)] = std::move(failure);
}
void FakeFileSystem::FailEnumNextAfter(const PathString& folder, const PathString& after,
                                       Failure failure, std::optional<int> times) {
  enumNextFailures_[Normal(folder)] = {after, std::move(failure), times};
}

const FakeFileSystem::Entry* FakeFileSystem::Find(const PathString& path) const {
  const auto e = entries_.find(Normal(path));
  return e == entries_.end() ? nullptr : &e->second;
}

bool FakeFileSystem::Exists(const PathString& path) const { return Find(path) != nullptr; }

Result<PathString> FakeFileSystem::EnumFirst(const PathString& pattern, Attributes mask) {
  enumFirstCalls_.push_back(pattern);
  started_ = false;
  const size_t slash = pattern.rfind(kSeparator);
  const PathString folder = Normal(pattern.substr(0, slash + 1));
  if (auto f = enumFirstFailures_.find(folder); f != enumFirstFailures_.end()) return f->second;
  if (folders_.count(folder) == 0) return NoSuchFile();
  folder_ = folder;
  namePattern_ = pattern.substr(slash + 1);
  mask_ = mask;
  next_ = 0;
  started_ = true;
  return Advance();
}

Result<PathString> FakeFileSystem::EnumNext() {
  if (!started_) return Failure{9, "Bad file descriptor"};
  const std::vector<PathString>& names = folders_[folder_];
  if (auto f = enumNextFailures_.find(folder_); f != enumNextFailures_.end() && next_ > 0 &&
                                               names[next_ - 1] == f->second.after) {
    NextFailure& failure = f->second;
    if (!failure.timesLeft || *failure.timesLeft > 0) {
      if (failure.timesLeft) --*failure.timesLeft;
      ++enumNextFailuresGiven_;
      return failure.failure;
    }
  }
  return Advance();
}

Result<PathString> FakeFileSystem::Advance() {
  const std::vector<PathString>& names = folders_[folder_];
  const PathString prefix = folder_.size() == 1 ? folder_ : folder_ + kSeparator;
  while (next_ < names.size()) {
    const PathString& name = names[next_++];
    if (!PassesMask(entries_[prefix + name].attributes, mask_)) continue;
    if (!namePattern_.empty() && !MatchesNamePattern(name, namePattern_)) continue;
    return name;
  }
  return PathString();
}

Result<Attributes> FakeFileSystem::FileAttributes(const PathString& path, Attributes wanted) {
  if (auto f = attributeFailures_.find(Normal(path)); f != attributeFailures_.end()) return f->second;
  const Entry* e = Find(path);
  if (e == nullptr) return NoSuchFile();
  return e->attributes & wanted;
}

Result<int64_t> FakeFileSystem::FileLength(const PathString& path) {
  if (auto f = lengthFailures_.find(Normal(path)); f != lengthFailures_.end()) return f->second;
  const Entry* e = Find(path);
  if (e == nullptr) return NoSuchFile();
  return e->length;
}

MaybeFailure FakeFileSystem::RemoveFile(const PathString& path) {
  if (auto f = removeFailures_.find(Normal(path)); f != removeFailures_.end()) return f->second;
  const Entry* e = Find(path);
  if (e == nullptr || path.back() == kSeparator) return NoSuchFile();
  if (e->attributes & AttrDirectory) return Failure{21, "Is a directory"};
  if (e->attributes & AttrReadOnly) return AccessDenied();
  const PathString p = Normal(path);
  std::vector<PathString>& names = folders_[Parent(p)];
  const PathString name = p.substr(p.rfind(kSeparator) + 1);
  for (auto it = names.begin(); it != names.end(); ++it) {
    if (*it == name) {
      names.erase(it);
      break;
    }
  }
  entries_.erase(p);
  return std::nullopt;
}

MaybeFailure RecordingResults::AddItem(const PathString& line) {
  if (refuse && *refuse == line) return Failure{7, "Out of memory"};
  lines.push_back(line);
  if (whenAdded) whenAdded(line);
  return std::nullopt;
}

MaybeFailure RecordingMessages::Show(const std::string& text, const std::string& title) {
  texts.push_back(text);
  titles.push_back(title);
  if (failNextShows > 0) {
    --failNextShows;
    return Failure{5, "Input/output error"};
  }
  return std::nullopt;
}

}  // namespace dustvane::testing
