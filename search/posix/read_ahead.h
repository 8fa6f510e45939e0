#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "search/posix/descriptor_budget.h"
#include "search/posix/folder_node.h"
#include "search/posix/read_ahead_mode.h"
#include "search/posix/read_ahead_pacing.h"
#include "search/posix/read_ahead_queue.h"

namespace dustvane {

// A walk's reading ahead: which folders it asks helpers to warm
// (read_ahead_queue.h), in the walk's own order, as fast as the pacing lets
// them (read_ahead_pacing.h). A helper hands back nothing but the
// sub-folders it saw, which only tell which folders to warm next: the walk
// opens and lists every folder itself, from the cache the helpers filled,
// so what it finds is what a walk alone finds. Helpers reach a folder by its
// path below the walk's root, or below a mount the walk entered, never
// through the walk's descriptors.
class ReadAhead {
 public:
  // What the read-ahead asks of the walk's tree of nodes.
  class Tree {
   public:
    // The sub-folder `index` of `parent`, made a node if need be; null past the last.
    virtual FolderNode* ChildAt(FolderNode& parent, size_t index) = 0;
    // A helper's answer made `node` warmed.
    virtual void Answered(FolderNode& node) = 0;

   protected:
    ~Tree() = default;
  };

  ReadAhead(ReadAheadMode mode, unsigned coldHelpers, DescriptorBudget& budget, Tree& tree)
      : mode_(mode), coldHelpers_(coldHelpers), budget_(budget), tree_(tree) {}

  // A walk begins from `root`, open.
  void Begin(FolderNode& root);
  // The walk entered `node`, open, across a mount: helpers warm what lies
  // below it from a copy of its descriptor, which counts against the
  // walk's budget until the walk ends; nothing below it where the budget
  // has no room.
  void Crossed(FolderNode& node);
  // The helpers stop, and are let go of.
  void End();

  // The walk asks for files whose names match `namePattern`.
  void LookForFiles(const std::string& namePattern) { filePattern_ = namePattern; }
  // The walk has listed `at`, of `entries` entries: it asks for what comes next.
  void Stepped(FolderNode& at, size_t entries);
  // The walk descends nowhere any more: requests no helper has begun are taken back.
  void DescendsNoMore();
  // Takes every answer that has come.
  void TakeAnswers();

  // The walk comes to `node`, to open it itself: it is taken, a request no
  // helper has begun is taken back, and what a helper saw of it no longer
  // counts as held ahead of the walk.
  void Reached(FolderNode& node);
  // The walk lets go of `node`: false where a helper is still at its
  // request, which holds the node until it is answered.
  bool LetGo(FolderNode& node);

 private:
  void Refill(FolderNode& at);
  FolderNode* NextInOrder(FolderNode& node, bool descend);
  bool Ask(FolderNode& node);
  bool Withdraw(FolderNode& node);
  void Gather(FolderNode& node);
  void TakePace(size_t entries);

  const ReadAheadMode mode_;
  const unsigned coldHelpers_;
  DescriptorBudget& budget_;
  Tree& tree_;
  int rootFd_ = -1;

  std::unique_ptr<ReadAheadQueue> queue_;
  size_t window_ = 0;  // most requests waiting or in hand ahead of the walk; 0: none
  Pace pace_;
  size_t warmedBytes_ = 0;  // what the sub-folders of folders warmed ahead of the walk hold
  FolderAnswer answer_;     // answers on their way to nodes
  std::string filePattern_;
  std::vector<const std::string*> way_;  // names from a request's anchor, innermost first
  std::string path_;
};

}  // namespace dustvane
