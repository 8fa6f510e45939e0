#include "search/posix/folder_walk.h"

#include <sys/statfs.h>

#include "search/posix/mount_table.h"

namespace dustvane {

FolderWalk::FolderWalk(ReadAheadMode mode, unsigned coldHelpers)
    : chain_(budget_, [this](FolderNode& parent) { PassChild(parent); }),
      ahead_(mode, coldHelpers, budget_, reader_, *this) {}

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
  bool adopted = false;
  while (!below.empty()) {
    const PathView name = TakeFolderName(below);
    if (name.empty()) {  // a doubled "/" belongs to the folder before it
      chain_.AddSeparator();
      continue;
    }
    Result<FolderNode*> entered = Enter(ChildNamed(chain_.Innermost(), name), adopted);
    if (!entered.ok()) return entered.failure();
    if (entered.value() == nullptr) {
      static const FolderListing kNothing;
      return &kNothing;
    }
    chain_.Push(*entered.value(), name);
    openedNow = true;
  }
  FolderNode& here = chain_.Innermost();
  if (!adopted) {
    for (size_t i = here.firstChild; i < here.children.size(); ++i) Discard(std::move(here.children[i]));
    here.children.clear();
    here.firstChild = 0;
    here.nextChild = FolderListing::Place();
    if (MaybeFailure failure = reader_.Read(here.fd.get(), openedNow, here.listing)) return *failure;
    here.holdsMounts = mounts_.HoldsAny(here);
  }
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
  struct statfs fs;
  root_->trusted = fstatfs(fd.value(), &fs) == 0 && !RecordsMayBeCached(static_cast<long>(fs.f_type));
  mounts_.Begin(fd.value(), folder);
  walked_.rootInSystem = mounts_.AbsoluteRoot();
  walked_.mountsAtOrAboveRoot = mounts_.AtOrAboveRoot();
  chain_.Begin(*root_, folder, mounts_.Table());
  ahead_.Begin(root_->fd.get());
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

// Makes `node`, the next sub-folder of the innermost folder, the innermost:
// adopted from a helper where that is proven, opened by the walk's rules
// otherwise. Null where the rules keep it out. Either way, and on failure,
// the walk searches nothing below it but what it lists of it.
Result<FolderNode*> FolderWalk::Enter(FolderNode& node, bool& adopted) {
  FolderNode& parent = chain_.Innermost();
  FolderNode* child = ahead_.Settle(node);
  adopted = child->state == State::kReady && ahead_.Adopt(parent, *child);
  if (!adopted) {
    if (child->state == State::kReady) child = Replace(*child);
    Result<WalkOpened> opened = chain_.OpenChild(child->name);
    if (!opened.ok() || opened.value().fd < 0) {
      PassChild(parent);
      if (!opened.ok()) return opened.failure();
      return nullptr;
    }
    child->fd.reset(opened.value().fd);
    child->trusted = opened.value().crossed ? !RecordsMayBeCached(opened.value().magic) : parent.trusted;
  }
  child->state = State::kTaken;
  // Below it the walk needs no more of the parent's listing than the
  // sub-folders still to come: a deep chain holds little more than names.
  parent.listing.KeepSubFoldersFrom(parent.nextChild);
  return child;
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

// A fresh node in the place of `node`, whose answer the walk refused or
// whose request it leaves to a helper that is not done with it.
FolderNode* FolderWalk::Replace(FolderNode& node) {
  FolderNode& parent = *node.parent;
  const size_t index = node.index;
  std::unique_ptr<FolderNode> fresh = parent.Child(index, node.name);
  fresh->walkOnly = node.walkOnly;
  Discard(std::exchange(parent.children[index], std::move(fresh)));
  return parent.children[index].get();
}

// Lets go of `node` and everything below it; what a helper still works on,
// or works from, stays until its answer comes.
void FolderWalk::Discard(std::unique_ptr<FolderNode> node) {
  std::vector<std::unique_ptr<FolderNode>> pending;
  pending.push_back(std::move(node));
  while (!pending.empty()) {
    std::unique_ptr<FolderNode> at = std::move(pending.back());
    pending.pop_back();
    if (at == nullptr) continue;
    for (std::unique_ptr<FolderNode>& child : at->children) pending.push_back(std::move(child));
    at->children.clear();
    at->state = State::kDropped;
    if ((at->request != nullptr && !ahead_.Withdraw(*at)) || at->pins > 0) {
      dropped_.push_back(std::move(at));
    } else {
      LetGoOf(*at);
    }
  }
}

// Lets go of what the node holds; its listing goes to a helper's next answer.
void FolderWalk::LetGoOf(FolderNode& node) {
  ahead_.Forget(node);
  budget_.Release(node.fd);
  ahead_.Recycle(std::move(node.listing));
}

// Takes every answer that has come (the nodes are ready, the folders they
// were opened from no longer held for them), and lets go of the dropped nodes
// nothing uses any more, late answers with them.
void FolderWalk::TakeAnswers() {
  ahead_.TakeAnswers();
  for (size_t i = dropped_.size(); i-- > 0;) {
    FolderNode& node = *dropped_[i];
    if (node.request != nullptr || node.pins > 0) continue;
    LetGoOf(node);
    dropped_.erase(dropped_.begin() + static_cast<ptrdiff_t>(i));
  }
}

void FolderWalk::Close() {
  ahead_.Stop();
  std::vector<std::unique_ptr<FolderNode>> all = std::move(dropped_);
  dropped_.clear();
  if (root_ != nullptr) all.push_back(std::move(root_));
  for (size_t i = 0; i < all.size(); ++i) {
    for (std::unique_ptr<FolderNode>& child : all[i]->children) {
      if (child != nullptr) all.push_back(std::move(child));
    }
    all[i]->children.clear();
  }
  for (std::unique_ptr<FolderNode>& node : all) ahead_.Abandon(*node);
  all.clear();  // closes every descriptor left
  ahead_.End();
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
