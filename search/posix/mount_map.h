#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "search/posix/mount_table.h"

namespace dustvane {

// What a walk meets at a folder, as far as mounts go.
enum class MountAt {
  kNone,      // no mount shows there: an ordinary folder
  kOrdinary,  // a disk or memory file system: searched, once it is not a loop
  kSystem,    // a file system the search never enters
};

// The mounts that actually show, one per mount point: where several are
// stacked on one point, the one on top; a mount hidden under a later mount on
// a folder above it is left out. Built once per walk from one reading of the
// mount table and never changed afterwards, so any thread may ask it.
//
// What it tells by path is what a walk's listing shows: which names are
// mount points, and whether the search enters them, without touching them
// (so an automount is never set off and a dead network mount never waits).
// It is as old as the walk: where a walk actually crosses into another file
// system, the crossing itself is checked again (folder_opener.h).
class MountMap {
 public:
  MountMap() = default;
  explicit MountMap(const std::vector<Mount>& table);

  // `folder` is an absolute path ending in "/".
  MountAt At(const std::string& folder) const;
  // Whether a mount shows directly inside `folder` (a path ending in "/"), so
  // that listing an ordinary folder costs one lookup.
  bool HoldsAny(const std::string& folder) const { return holders_.count(folder) != 0; }
  // Whether the walk never enters the mount numbered `id` (as statx reports
  // a folder's mount), hidden or not; nothing for a mount the table did not
  // hold.
  std::optional<bool> IsSystem(int id) const;

 private:
  std::unordered_map<std::string, MountAt> shown_;  // keyed by "point/"
  std::unordered_set<std::string> holders_;
  std::unordered_map<int, bool> systemById_;
};

}  // namespace dustvane
