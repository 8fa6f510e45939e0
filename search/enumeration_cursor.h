#pragma once

#include <utility>

#include "search/attributes.h"
#include "search/name_pattern.h"
#include "search/path_string.h"

namespace dustvane {

// Where the one enumeration of a file system stands (file_system.h): the
// folder it lists, the mask and name pattern its entries must pass, and the
// name it handed out last, whose attributes and length the search asks next
// and a layer answers from its listing, without a lookup of the path.
class EnumerationCursor {
 public:
  // A new enumeration of `folder` (its path, ending in the separator), for
  // entries that pass `mask` and `namePattern` (empty: every name).
  void Start(PathString folder, PathString namePattern, Attributes mask) {
    folder_ = std::move(folder);
    namePattern_ = std::move(namePattern);
    mask_ = mask;
    handedOut_ = false;
    started_ = true;
  }
  // No enumeration stands: the next one must start.
  void Stop() {
    started_ = false;
    handedOut_ = false;
  }
  bool Started() const { return started_; }
  const PathString& Folder() const { return folder_; }
  const PathString& NamePattern() const { return namePattern_; }
  Attributes Mask() const { return mask_; }

  // Whether an entry of that name and those attribute bits is one to hand out.
  bool Passes(PathView name, Attributes bits) const {
    return PassesMask(bits, mask_) && (namePattern_.empty() || MatchesNamePattern(name, namePattern_));
  }
  // The entry `name` is handed out; its name must stay where it is until the
  // next one is, or Forget.
  void Hand(PathView name) {
    handed_ = name;
    handedOut_ = true;
  }
  void Forget() { handedOut_ = false; }
  // Whether `path` is that of the entry handed out last.
  bool IsLastHanded(const PathString& path) const {
    return handedOut_ && path.size() == folder_.size() + handed_.size() &&
           path.compare(0, folder_.size(), folder_) == 0 && PathView(path).substr(folder_.size()) == handed_;
  }

 private:
  bool started_ = false;
  PathString folder_;
  PathString namePattern_;
  Attributes mask_ = 0;
  PathView handed_;
  bool handedOut_ = false;
};

}  // namespace dustvane
