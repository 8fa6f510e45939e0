#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "search/posix/descriptor_budget.h"
#include "search/posix/folder_listing.h"
#include "search/posix/folder_node.h"
#include "search/posix/read_ahead_mode.h"
#include "search/posix/read_ahead_pacing.h"
#include "search/posix/read_ahead_queue.h"

namespace dustvane {

// Folders the walk took from helpers without opening them itself, so far in
// this process (tests and benchmarks).
uint64_t FoldersAdoptedSoFar();

// A walk's reading ahead: which folders it asks helpers to open and list
// (read_ahead_queue.h), in the walk's own order, as fast as the pacing lets
// them (read_ahead_pacing.h), and what it takes of their answers. Helpers
// open from the walk's descriptors, with its opener, never across a mount;
// their descriptors count against the walk's budget but for the chain's
// share of it. The walk adopts what a helper opened only when the name,
// looked up now from its own descriptor of the parent, still shows that
// very folder unchanged (folder_record.h), on a file system whose records
// prove the listing current; else it lists it itself.
class ReadAhead {
 public:
  // What the read-ahead asks of the walk's tree of nodes.
  class Tree {
   public:
    // The sub-folder `index` of `parent`, made a node if need be; null past the last.
    virtual FolderNode* ChildAt(FolderNode& parent, size_t index) = 0;
    // A fresh node in the place of `node`, which is let go of.
    virtual FolderNode* Replace(FolderNode& node) = 0;
    // A helper's answer made `node` ready.
    virtual void Answered(FolderNode& node) = 0;

   protected:
    ~Tree() = default;
  };

  ReadAhead(ReadAheadMode mode, unsigned coldHelpers, DescriptorBudget& budget, FolderReader& reader, Tree& tree)
      : mode_(mode), coldHelpers_(coldHelpers), budget_(budget), reader_(reader), tree_(tree) {}

  // A walk begins from the open folder `rootFd`.
  void Begin(int rootFd);
  // The helpers stop; then each node that still has a request is Abandoned,
  // and End lets go of the rest.
  void Stop();
  void Abandon(FolderNode& node);
  void End();

  // The walk asks for files whose names match `namePattern`.
  void LookForFiles(const std::string& namePattern) { filePattern_ = namePattern; }
  // The walk has listed `at`, of `entries` entries: it asks for what comes next.
  void Stepped(FolderNode& at, size_t entries);
  // The walk descends nowhere any more: requests no helper has begun are taken back.
  void DescendsNoMore();
  // Takes every answer that has come.
  void TakeAnswers();

  // The walk comes to `node`: the node it goes on with, ready where a helper
  // did it (see Adopt), else to be opened by the walk.
  FolderNode* Settle(FolderNode& node);
  // Whether the walk may take the helper's answer for `child` as its own.
  bool Adopt(FolderNode& parent, FolderNode& child);
  // Takes back the request of `node` if no helper has begun it.
  bool Withdraw(FolderNode& node);
  // The node's answer no longer counts as one held ahead of the walk.
  void Forget(FolderNode& node);
  // A listing let go of, kept for a helper's next answer: freeing memory a
  // helper allocated would wait on the helper's lock.
  void Recycle(FolderListing&& listing);

 private:
  void Refill(FolderNode& at);
  FolderNode* NextInOrder(FolderNode& node, bool descend);
  bool Ask(FolderNode& node);
  void Gather(FolderNode& node);
  void TakeAnswer(FolderNode& node, FolderAnswer& answer);
  bool DoOneAhead(FolderNode& from);
  void TakePace(size_t entries);

  const ReadAheadMode mode_;
  const unsigned coldHelpers_;
  DescriptorBudget& budget_;
  FolderReader& reader_;
  Tree& tree_;
  int rootFd_ = -1;

  std::unique_ptr<ReadAheadQueue> queue_;
  size_t window_ = 0;  // most requests waiting or in hand ahead of the walk; 0: none
  Pace pace_;
  size_t readyBytes_ = 0;  // what ready listings hold
  FolderAnswer answer_;    // the walk's own reading ahead, and answers on their way to nodes
  std::vector<FolderListing> spareListings_;
  std::string filePattern_;
};

}  // namespace dustvane
