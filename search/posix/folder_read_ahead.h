#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "search/posix/descriptor_budget.h"
#include "search/posix/folder_listing.h"
#include "search/posix/mount_map.h"
#include "search/posix/read_ahead_plan.h"

namespace dustvane {

enum class ReadAheadMode {
  kOff,       // the walk reads every folder itself
  kWhenCold,  // helpers start when the walk's own thread reads from a disk, and rest once the cache serves them
  kAlways,    // helpers run from the start of every walk, whatever the cache holds
};

// Reads ahead of a walk: while the walk works on one folder, a few helper
// threads open and list the folders it will come to next. A cold cache is
// served by one disk request at a time otherwise, and a disk can answer many
// at once.
//
// The walk stays in charge of what a search finds. It opens every folder
// itself, through its own chain; where a helper has listed the same folder
// (the same device and inode as the walk's own descriptor), the walk takes
// that listing instead of reading the folder a second time, and otherwise
// reads it itself. The entries are the same either way: the file system's,
// in its order. Everything else (attributes, lengths, what is entered) the
// walk asks through its own descriptors. A cold search is bound by the
// processors' work as soon as the helpers keep the disk busy, and reading
// every folder twice was a fifth of that work.
//
// The helpers keep the walk's rules: a folder is only opened through its
// parent's descriptor, without following a link (O_NOFOLLOW |
// O_DIRECTORY); never where a system file system shows or where a mount
// leads back into a folder above; never outside the root. They stay within a
// window of folders ahead of the walk and hold descriptors from the walk's
// own budget, at most half of it.
//
// A warm walk never starts a helper: every 16 folders the walk's thread
// looks whether it has itself had blocks read from a disk (its ru_inblock),
// which a folder served from the cache never causes.
//
// Every call comes from the walk's thread.
class FolderReadAhead {
 public:
  // Measured on a virtual disk with two processors: since the walk takes
  // the helpers' listings, 10 to 16 helpers read a cold tree in nearly the
  // same time and 6 take a tenth longer; beyond 10 only memory grows.
  static constexpr unsigned kThreads = 10;

  FolderReadAhead(DescriptorBudget& budget, ReadAheadMode mode, unsigned threads = kThreads);
  ~FolderReadAhead() { Stop(); }
  FolderReadAhead(const FolderReadAhead&) = delete;
  FolderReadAhead& operator=(const FolderReadAhead&) = delete;

  // A walk starts at `root` (as the walk writes it), open as `rootFd`;
  // `absoluteRoot` is the root as the mount table writes it and `mounts` the
  // walk's mount map, which must stay unchanged until Stop.
  void Start(const std::string& root, int rootFd, const std::string& absoluteRoot, const MountMap& mounts);

  // Whether `folder` lies in the walk the read-ahead was started for.
  bool Covers(const std::string& folder) const;

  // The walk has come to `folder` and opened it as `fd`. Moves the helpers'
  // listing of that very folder into `listing` and returns true if they have
  // one; otherwise the walk lists it itself.
  bool Reached(const std::string& folder, int fd, FolderListing& listing);

  // The walk asks for files whose names match `namePattern`; the helpers
  // read what the file system keeps of each such file ahead of the walk.
  void LookForFiles(const std::string& namePattern);

  // Ends the read-ahead of the walk: returns once no helper runs any more
  // and every folder it held is closed.
  void Stop();

 private:
  // What a helper works with, copied under the lock.
  struct Tools {
    std::shared_ptr<const MountMap> mounts;
    std::shared_ptr<const std::string> filePattern;
    FolderListing* listing;
  };

  void Activate(const std::string& folder);
  bool TakeDescriptor();
  void GiveBackDescriptor();
  void Help();
  std::vector<AheadFolderPtr> SeedAt(const std::string& folder, const Tools& tools);
  AheadFolderPtr OpenAndList(const AheadFolderPtr& parent, int parentFd, const std::string& name, uint32_t index,
                             const Tools& tools);
  bool WalkEnters(const AheadFolder& parent, int parentFd, const std::string& name, const MountMap& mounts) const;
  AheadFolderPtr ListOpened(int fd, const AheadFolderPtr& parent, uint32_t index, const std::string& path,
                            const Tools& tools);
  void Heard(bool fromDisk);
  std::string AbsolutePath(const std::string& folder) const;

  DescriptorBudget& budget_;
  const ReadAheadMode mode_;
  const unsigned threadCount_;

  // Whether Start has begun a walk's read-ahead that Stop has not ended.
  bool Started() const { return rootFd_ >= 0; }

  // Set by Start, fixed until Stop.
  std::string root_;
  std::string absoluteRoot_;
  const MountMap* walkMounts_ = nullptr;
  int rootFd_ = -1;  // a duplicate, only ever used as the base of openat
  size_t mostHeld_ = 0;
  // The walk's own: how many folders since it last looked at its disk
  // reads, how many blocks it had read then, and how many looks in a row
  // found it reading.
  unsigned sinceLooked_ = 0;
  uint64_t walkBlocks_ = 0;
  unsigned coldLooks_ = 0;

  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable work_;
  // Guarded by mutex_.
  bool stop_ = false;
  std::atomic<bool> active_{false};  // read without the lock by the walk
  uint64_t generation_ = 0;          // raised whenever the plan starts afresh
  std::string seedAt_;
  std::shared_ptr<const MountMap> mounts_;
  std::shared_ptr<const std::string> filePattern_;
  std::string lastFilePattern_;  // the walk's own copy, read without the lock
  ReadAheadPlan plan_;
  size_t cachedInARow_ = 0;
  size_t resting_ = 0;  // helpers waiting for work
  bool windowFull_ = false;  // some of them wait for the walk to move the window on
  std::atomic<size_t> held_{0};
};

}  // namespace dustvane
