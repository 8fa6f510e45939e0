#include "search/posix/folder_walk.h"

#include <sys/statfs.h>

#include "search/posix/mount_table.h"

namespace dustvane {

FolderWalk::FolderWalk(ReadAheadMode mode, unsigned coldHelpers)
    : chain_(budget_, [this](FolderNode& parent) { PassChild(parent); }), ahead_(mode, coldHelpers, budget_, *this) {}

Result<const FolderListing*> FolderWalk::List(const std::string& folder) {
  TakeAnswers();
  const WalkPlace place = chain_.Locate(folder);
  PathView below = place.below;
  if (place.levels == 0) {
    Close();
    walked_.Begin(folder);
    if (MaybeFailure failure = Begin(folder)) return *failure;
    below = PathView();
  } else if (MaybeFailure failure = chain_.ReturnTo(place.levels - 1)) {
    return *failure;
  }
  bool openedNow = place.levels == 0;
  // A helper saw the sub-folders of the folder entered last: those it warmed
  // below them stay ahead of the walk.
  bool warmed = false;
  while (!below.empty()) {
    const PathView name = TakeFolderName(below);
    if (name.empty()) {  // a doubled "/" belongs to the folder before it
      chain_.AddSeparator();
      continue;
    }
    FolderNode& child = ChildNamed(chain_.Innermost(), name);
    warmed = child.state == State::kWarmed && child.whole;
    Result<FolderNode*> entered = Enter(child);
    if (!entered.ok()) return entered.failure();
    if (entered.value() == nullptr) {
      static const FolderListing kNothing;
      return &kNothing;
    }
    chain_.Push(*entered.value(), name);
    openedNow = true;
  }
  FolderNode& here = chain_.Innermost();
  if (warmed) {
    // The helper's sub-folders stay the schedule below it; the walk's own
    // listing is kept apart.
    if (MaybeFailure failure = reader_.Read(here.fd.get(), openedNow, listing_)) return *failure;
    ahead_.Stepped(here, listing_.size());
    return &listing_;
  }
  for (size_t i = here.firstChild; i < here.children.size(); ++i) Discard(std::move(here.children[i]));
  here.children.clear();
  here.firstChild = 0;
  here.nextChild = FolderListing::Place();
  if (MaybeFailure failure = reader_.Read(here.fd.get(), openedNow, here.listing)) return *failure;
  here.holdsMounts = mounts_.HoldsAny(here);
  ahead_.Stepped(here, here.listing.size());
  return &here.listing;
}

MaybeFailure FolderWalk::Begin(const std::string& folder) {
  budget_.Begin();
  Result<int> fd = OpenFolderAtPath(folder);
  if (!fd.ok()) return fd.failure();
  budget_.TakeAnyway();
  root_ = std::make_unique<FolderNode>();
  root_->name = folder;
  root_->fd.reset(fd.value());
  root_->state = State::kTaken;
  mounts_.Begin(fd.value(), folder);
  walked_.rootInSystem = mounts_.AbsoluteRoot();
  walked_.mountsAtOrAboveRoot = mounts_.AtOrAboveRoot();
  chain_.Begin(*root_, folder, mounts_.Table());
  ahead_.Begin(*root_);
  return std::nullopt;
}

// The sub-folder `name` of `parent`, those before it passed over.
FolderNode& FolderWalk::ChildNamed(FolderNode& parent, std::string_view name) {
  while (FolderNode* next = ChildAt(parent, parent.firstChild)) {
    if (next->name == name) return *next;
    PassChild(parent);
  }
  parent.children.push_back(parent.Child(parent.children.size(), name));
  return *parent.children.back();
}

// Makes `child`, the next sub-folder of the innermost folder, the innermost,
// opened by the walk's rules. Null where they keep it out. Either way, and
// on failure, the walk searches nothing below it but what it lists of it.
Result<FolderNode*> FolderWalk::Enter(FolderNode& child) {
  FolderNode& parent = chain_.Innermost();
  ahead_.Reached(child);
  Result<WalkOpened> opened = chain_.OpenChild(child.name);
  if (!opened.ok() || opened.value().fd < 0) {
    PassChild(parent);
    if (!opened.ok()) return opened.failure();
    return nullptr;
  }
  child.fd.reset(opened.value().fd);
  if (opened.value().crossed) ahead_.Crossed(child);
  // Below it the walk needs no more of the parent's sub-folders than those
  // still to come: a deep chain holds little more than names.
  parent.listing.KeepSubFoldersFrom(parent.nextChild);
  return &child;
}

// The sub-folder `index` of `parent`, made a node from its listing if need be.
FolderNode* FolderWalk::ChildAt(FolderNode& parent, size_t index) {
  while (parent.children.size() <= index) {
    FolderListing::Entry entry;
    do {
      if (!parent.listing.Next(parent.nextChild, entry)) return nullptr;
    } while (entry.kind != EntryKind::kFolder || entry.name == "." || entry.name == "..");
    std::unique_ptr<FolderNode> child = parent.Child(parent.children.size(), entry.name);
    child->walkOnly = parent.holdsMounts && mounts_.At(mounts_.PathOf(*child)) != MountAt::kNone;
    parent.children.push_back(std::move(child));
  }
  return parent.children[index].get();
}

// The walk is done with the next sub-folder of `parent`, or passes it over.
void FolderWalk::PassChild(FolderNode& parent) {
  if (parent.firstChild < parent.children.size()) Discard(std::move(parent.children[parent.firstChild]));
  if (++parent.firstChild < 64 || parent.firstChild * 2 < parent.children.size()) return;
  parent.children.erase(parent.children.begin(), parent.children.begin() + static_cast<ptrdiff_t>(parent.firstChild));
  for (size_t i = 0; i < parent.children.size(); ++i) parent.children[i]->index = i;
  parent.firstChild = 0;
}

// Lets go of `node` and everything below it; one whose request a helper is
// still at stays until its answer comes.
void FolderWalk::Discard(std::unique_ptr<FolderNode> node) {
  std::vector<std::unique_ptr<FolderNode>> pending;
  pending.push_back(std::move(node));
  while (!pending.empty()) {
    std::unique_ptr<FolderNode> at = std::move(pending.back());
    pending.pop_back();
    if (at == nullptr) continue;
    for (std::unique_ptr<FolderNode>& child : at->children) pending.push_back(std::move(child));
    at->children.clear();
    budget_.Release(at->fd);
    if (!ahead_.LetGo(*at)) dropped_.push_back(std::move(at));
  }
}

// Takes every answer that has come, and lets go of the dropped nodes whose
// answers came with them.
void FolderWalk::TakeAnswers() {
  ahead_.TakeAnswers();
  std::erase_if(dropped_, [](const std::unique_ptr<FolderNode>& node) { return node->request == nullptr; });
}

void FolderWalk::Close() {
  ahead_.End();
  dropped_.clear();
  // Level by level, so that a deep tree is not let go of by recursion.
  std::vector<std::unique_ptr<FolderNode>> all;
  if (root_ != nullptr) all.push_back(std::move(root_));
  for (size_t i = 0; i < all.size(); ++i) {
    for (std::unique_ptr<FolderNode>& child : all[i]->children) {
      if (child != nullptr) all.push_back(std::move(child));
    }
    all[i]->children.clear();
  }
  all.clear();  // closes every descriptor left
  chain_.Clear();
  mounts_.End();
}

bool FolderWalk::IsClosed(std::string_view name) {
  FolderNode& here = chain_.Innermost();
  if (!here.holdsMounts) return false;
  const std::string entry(name);
  switch (mounts_.At(mounts_.PathOf(here) + entry + "/")) {
    case MountAt::kNone: return false;
    case MountAt::kSystem: return true;
    case MountAt::kOrdinary: break;
  }
  const std::optional<FolderIdentity> identity = IdentityOfEntry(here.fd.get(), entry.c_str());
  return identity && chain_.Holds(*identity);
}

bool FolderWalk::IsClosedAt(std::string_view path, const WalkPlace& place) {
  if (place.InInnermost(chain_.Levels().size())) return IsClosed(place.leaf);
  const std::string_view folder = path.substr(0, path.size() - place.leaf.size());
  const std::string inSystem = place.levels > 0 ? mounts_.PathBelowRoot(chain_.BelowRoot(folder)) : std::string(folder);
  return mounts_.At(inSystem + std::string(place.leaf) + "/") == MountAt::kSystem;
}

void FolderWalk::NoteWay() {
  uint32_t above = WalkedFolders<FolderMark>::kNone;
  for (FolderNode* node : chain_.Levels()) {
    if (node->walked == FolderNode::kNotWalked) {
      const FolderRecord* record = node->Record();
      if (record == nullptr) return;
      node->ReadSubvolume();
      const FolderMark mark = MarkOf(*record, node->subvolume.value_or(SubvolumeId{}));
      node->walked = walked_.folders.Add(above, node->parent != nullptr ? node->name : std::string(), mark);
    }
    above = node->walked;
  }
}

void FolderWalk::NoteFile(std::string_view name) {
  const uint32_t folder = chain_.Innermost().walked;
  if (folder == FolderNode::kNotWalked) return;
  const std::string entry(name);
  // A file Delete has no mark of is refused, as one that is gone.
  const Result<FileRecord> record = ReadFileRecord(InnermostFd(), entry.c_str());
  if (record.ok()) walked_.files.try_emplace({folder, entry}, record.value().mark);
}

}  // namespace dustvane
