#include "search/posix/read_ahead.h"

namespace dustvane {

namespace {

// Requests waiting or in hand ahead of the walk, for each helper: enough
// that every helper is at a disk request.
constexpr size_t kWindowPerHelper = 8;
// How many folders warmed ahead of the walk it looks past to find more to
// ask for, each time it moves.
constexpr size_t kMostWarmedLooked = 16;
// What the sub-folders of folders warmed ahead of the walk hold at most.
constexpr size_t kMostWarmedBytes = 2 << 20;

using State = FolderNode::State;

}  // namespace

void ReadAhead::Begin(FolderNode& root) {
  rootFd_ = root.fd.get();
  pace_ = StartingPace(mode_ == ReadAheadMode::kWhenCold, mode_ == ReadAheadMode::kAlways, ThisThreadsReadings());
  window_ = pace_.cold ? kWindowPerHelper * coldHelpers_ : 0;
  if (mode_ == ReadAheadMode::kOff) return;
  queue_ = std::make_unique<ReadAheadQueue>(kWindowPerHelper * coldHelpers_);
  Crossed(root);
}

void ReadAhead::Crossed(FolderNode& node) {
  node.isAnchor = queue_ != nullptr && budget_.TryTake();
  node.anchor = node.isAnchor ? queue_->AddAnchor(node.fd.get()) : FolderNode::kNoAnchor;
}

// The walk has listed `at`: the folders it comes to next, as far as they are
// known, are asked for until the window of requests waiting or in hand is
// full. Those warmed ahead count against memory, not against the window, so
// that a helper never waits for the walk to come to what it warmed.
void ReadAhead::Refill(FolderNode& at) {
  if (window_ == 0) return;
  size_t asked = 0;
  FolderNode* node = &at;
  bool descend = true;
  for (size_t looked = 0; asked < window_ && looked < window_ + kMostWarmedLooked; ++looked) {
    node = NextInOrder(*node, descend);
    if (node == nullptr) break;
    const bool asks = node->state == State::kUnqueued && !node->walkOnly && node->anchor != FolderNode::kNoAnchor;
    if (asks && !Ask(*node)) break;
    asked += node->state == State::kQueued ? 1 : 0;
    descend = node->state == State::kWarmed && node->whole;
  }
  if (queue_ != nullptr) queue_->WakeOneIfBehind();
}

// The folder the walk comes to after `node` (after its sub-folders, with
// `descend`), of those known; null past the last.
FolderNode* ReadAhead::NextInOrder(FolderNode& node, bool descend) {
  if (descend) {
    if (FolderNode* first = tree_.ChildAt(node, node.firstChild)) return first;
  }
  for (FolderNode* at = &node; at->parent != nullptr; at = at->parent) {
    if (FolderNode* next = tree_.ChildAt(*at->parent, at->index + 1)) return next;
  }
  return nullptr;
}

// Queues a request for `node`, by its path below its anchor; false when
// there is no room for it.
bool ReadAhead::Ask(FolderNode& node) {
  if (warmedBytes_ > kMostWarmedBytes) return false;
  if (queue_->Helpers() == 0) queue_->StartHelpers(coldHelpers_, rootFd_);
  way_.clear();
  for (const FolderNode* at = &node; !at->isAnchor; at = at->parent) way_.push_back(&at->name);
  path_.clear();
  for (size_t i = way_.size(); i-- > 0;) path_.append(*way_[i]).append("/");
  // The walk's lookups of the matches would wait on the disk too: the helper
  // brings them into the cache beforehand.
  node.request = queue_->Request(node.anchor, path_, filePattern_, &node);
  if (node.request == nullptr) return false;
  node.state = State::kQueued;
  return true;
}

bool ReadAhead::Withdraw(FolderNode& node) {
  if (!queue_->Withdraw(*node.request)) return false;
  node.request = nullptr;
  if (node.state == State::kQueued) node.state = State::kUnqueued;
  return true;
}

// Takes the answer of `node`'s request, if it has come. Only a node the walk
// has not come to takes what the helper saw.
void ReadAhead::Gather(FolderNode& node) {
  if (queue_->Look(*node.request) != ReadAheadQueue::Progress::kAnswered) return;
  queue_->Collect(*node.request, answer_);
  node.request = nullptr;
  if (node.state != State::kQueued) return;
  node.state = State::kWarmed;
  node.whole = answer_.error == 0 && answer_.whole;
  if (!node.whole) return;
  std::swap(node.listing, answer_.subFolders);
  warmedBytes_ += node.listing.Bytes();
  tree_.Answered(node);
}

void ReadAhead::Reached(FolderNode& node) {
  if (node.state == State::kQueued) Withdraw(node);
  if (node.state == State::kWarmed && node.whole) warmedBytes_ -= node.listing.Bytes();
  // Once, even where the walk then cannot open it and lets go of it.
  node.state = State::kTaken;
}

bool ReadAhead::LetGo(FolderNode& node) {
  Reached(node);
  node.state = State::kDropped;
  return node.request == nullptr;
}

void ReadAhead::Stepped(FolderNode& at, size_t entries) {
  TakePace(entries);
  Refill(at);
}

// After each folder the walk lists: where the tree has turned out cold,
// helpers warm the folders ahead of it from then on.
void ReadAhead::TakePace(size_t entries) {
  if (queue_ == nullptr || pace_.cold) return;
  pace_ = Paced(pace_, entries, ThisThreadsReadings());
  if (pace_.cold) window_ = kWindowPerHelper * coldHelpers_;
}

void ReadAhead::DescendsNoMore() {
  window_ = 0;
  if (queue_ == nullptr) return;
  for (size_t at = 0; void* node = queue_->Next(ReadAheadQueue::Progress::kQueued, at);) {
    Withdraw(*static_cast<FolderNode*>(node));
  }
}

void ReadAhead::TakeAnswers() {
  if (queue_ == nullptr) return;
  for (size_t at = 0; void* node = queue_->Next(ReadAheadQueue::Progress::kAnswered, at);) {
    Gather(*static_cast<FolderNode*>(node));
  }
}

void ReadAhead::End() {
  queue_.reset();
  window_ = 0;
  warmedBytes_ = 0;
}

}  // namespace dustvane
