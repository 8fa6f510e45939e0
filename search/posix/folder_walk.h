#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "search/failure.h"
#include "search/posix/descriptor_budget.h"
#include "search/posix/folder_listing.h"
#include "search/posix/folder_node.h"
#include "search/posix/folder_opener.h"
#include "search/posix/mount_map.h"
#include "search/posix/read_ahead.h"
#include "search/posix/read_ahead_mode.h"
#include "search/posix/walk_chain.h"
#include "search/posix/walk_mounts.h"
#include "search/posix/walked_tree.h"

namespace dustvane {

// A walk over a tree of folders: its nodes (folder_node.h), from the root to
// where the walk is (the chain, walk_chain.h) and ahead of it (read_ahead.h).
// The walk owns the tree of nodes, and through the chain alone opens and
// closes folders (descriptor_budget.h); it lists every folder itself. List
// is the one place that learns where the walk is from a path.
class FolderWalk final : private ReadAhead::Tree {
 public:
  FolderWalk(ReadAheadMode mode, unsigned coldHelpers);
  ~FolderWalk() { Close(); }
  FolderWalk(const FolderWalk&) = delete;
  FolderWalk& operator=(const FolderWalk&) = delete;

  // Makes `folder` (a path ending in "/", or empty for the working folder)
  // where the walk is, keeping the part of the chain that leads there, and
  // lists it. A folder outside the walk's root begins a new walk. A folder
  // the walk's rules keep out (a system file system, a folder mounted below
  // itself) lists empty, and its parent stays the innermost.
  Result<const FolderListing*> List(const std::string& folder);
  // Ends the walk: the helpers stop and every descriptor is let go of.
  void Close();
  // The walk descends nowhere any more: no more reading ahead.
  void DescendsNoMore() { ahead_.DescendsNoMore(); }
  // The walk asks for files whose names match `namePattern`.
  void LookForFiles(const std::string& namePattern) { ahead_.LookForFiles(namePattern); }

  // Where `path` lies against the folders the walk is inside.
  WalkPlace Locate(std::string_view path) const { return chain_.Locate(path); }
  size_t Depth() const { return chain_.Levels().size(); }
  // The innermost folder's descriptor (open once List succeeded).
  int InnermostFd() const { return chain_.Innermost().fd.get(); }
  // Whether the walk never enters the folder `name` of the innermost folder:
  // a system file system shows there, or it is a folder the walk is already
  // inside (mounted below itself), by the walk's mount table. Only mount
  // points cost anything; an automount point is never set off.
  bool IsClosed(std::string_view name);
  // The same for the folder at `path`, wherever it lies (`place`, as Locate
  // gave it).
  bool IsClosedAt(std::string_view path, const WalkPlace& place);

  // Notes the innermost folder and those above it in Delete's record.
  void NoteWay();
  // Notes the file `name` of the innermost folder, a line Delete may come
  // to, once the folders on its way are noted.
  void NoteFile(std::string_view name);
  const WalkedTree& Walked() const { return walked_; }

 private:
  using State = FolderNode::State;

  MaybeFailure Begin(const std::string& folder);
  FolderNode& ChildNamed(FolderNode& parent, std::string_view name);
  Result<FolderNode*> Enter(FolderNode& node);
  FolderNode* ChildAt(FolderNode& parent, size_t index) override;
  void Answered(FolderNode& node) override { node.holdsMounts = mounts_.HoldsAny(node); }
  void PassChild(FolderNode& parent);
  void Discard(std::unique_ptr<FolderNode> node);
  void TakeAnswers();

  FolderReader reader_;
  // Delete's record: it outlives the walk.
  WalkedTree walked_;

  // The walk: the listing of an innermost folder a helper warmed first (its
  // node keeps what the helper saw), its nodes, the chain, and the
  // descriptors they hold.
  FolderListing listing_;
  DescriptorBudget budget_;
  std::unique_ptr<FolderNode> root_;
  WalkChain chain_;
  WalkMounts mounts_;
  // Nodes the walk let go of whose requests a helper is still at.
  std::vector<std::unique_ptr<FolderNode>> dropped_;

  ReadAhead ahead_;
};

}  // namespace dustvane
