#include "search/posix/read_ahead.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "search/posix/folder_record.h"

namespace dustvane {

namespace {

// Requests waiting or in hand ahead of the walk, for each helper: enough
// that one is ready or being read when the walk comes to it on a warm tree,
// and that every helper is at a disk request on a cold one.
constexpr size_t kWarmWindowPerHelper = 8;
constexpr size_t kColdWindowPerHelper = 8;
// How many folders ready ahead of the walk it looks past to find more to ask
// for, each time it moves.
constexpr size_t kMostReadyLooked = 16;
// What the listings ready ahead of the walk hold at most.
constexpr size_t kMostReadyBytes = 2 << 20;
// Folders the walk does itself further on, at most, when a helper is still
// reading the one it has come to.
constexpr int kMostDoneAhead = 2;
// Listings let go of, kept for helpers' answers.
constexpr size_t kSpareListings = 16;

using State = FolderNode::State;

std::atomic<uint64_t> adoptedSoFar{0};

// One for each other processor.
unsigned Partners() { return std::max(std::thread::hardware_concurrency(), 1u) - 1; }

}  // namespace

uint64_t FoldersAdoptedSoFar() { return adoptedSoFar.load(std::memory_order_relaxed); }

void ReadAhead::Begin(int rootFd) {
  rootFd_ = rootFd;
  pace_ = StartingPace(mode_ == ReadAheadMode::kWhenCold, mode_ == ReadAheadMode::kAlways, ThisThreadsReadings());
  window_ = pace_.cold ? kColdWindowPerHelper * coldHelpers_ : 0;
  if (mode_ == ReadAheadMode::kPartner || mode_ == ReadAheadMode::kWhenCold) window_ = kWarmWindowPerHelper * Partners();
  if (mode_ == ReadAheadMode::kOff) return;
  queue_ = std::make_unique<ReadAheadQueue>(kColdWindowPerHelper * coldHelpers_);
  // Helpers close what the walk lets go of, so that it does not wait for the close.
  budget_.CloseThrough([queue = queue_.get()](int fd, size_t most) { return queue->CloseLater(fd, most); });
}

// The walk has listed `at`: the folders it comes to next, as far as they are
// known, are asked for until the window of requests waiting or in hand is
// full. Those ready ahead count against descriptors and memory, not against
// the window, so that a helper never waits for the walk to take its answers.
void ReadAhead::Refill(FolderNode& at) {
  if (window_ == 0 || pace_.resting > 0 || !budget_.RoomAhead()) return;
  size_t asked = 0;
  FolderNode* node = &at;
  bool descend = true;
  for (size_t looked = 0; asked < window_ && looked < window_ + kMostReadyLooked; ++looked) {
    node = NextInOrder(*node, descend);
    if (node == nullptr) break;
    if (node->state == State::kUnqueued && !node->walkOnly && node->parent->fd.open() && !Ask(*node)) break;
    asked += node->state == State::kQueued ? 1 : 0;
    descend = node->state == State::kReady && node->whole;
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

// Queues a request for `node`, its parent held open for it; false when
// there is no room for it.
bool ReadAhead::Ask(FolderNode& node) {
  if (readyBytes_ > kMostReadyBytes || !budget_.TryTakeAhead()) return false;
  if (queue_->Helpers() == 0) queue_->StartHelpers(pace_.cold ? coldHelpers_ : Partners(), rootFd_);
  // On a cold tree the walk's own reading and lookups of the matches would
  // wait on the disk too: the helper brings them into the cache beforehand.
  node.request = queue_->Request(node.parent->fd.get(), node.name, pace_.cold ? &filePattern_ : nullptr, &node);
  if (node.request == nullptr) {
    budget_.GiveBack();
    return false;
  }
  node.state = State::kQueued;
  ++node.parent->pins;
  return true;
}

// Takes back the request of `node` if no helper has begun it.
bool ReadAhead::Withdraw(FolderNode& node) {
  if (!queue_->Withdraw(*node.request)) return false;
  node.request = nullptr;
  --node.parent->pins;
  budget_.GiveBack();
  if (node.state == State::kQueued) node.state = State::kUnqueued;
  return true;
}

// Takes the answer of `node`'s request, if it has come.
void ReadAhead::Gather(FolderNode& node) {
  if (queue_->Look(*node.request) != ReadAheadQueue::Progress::kAnswered) return;
  if (!spareListings_.empty()) {  // the slot's next answer fills it
    answer_.listing = std::move(spareListings_.back());
    spareListings_.pop_back();
  }
  queue_->Collect(*node.request, answer_);
  node.request = nullptr;
  --node.parent->pins;
  TakeAnswer(node, answer_);
  ++pace_.answers;
}

void ReadAhead::TakeAnswer(FolderNode& node, FolderAnswer& answer) {
  node.fd = std::move(answer.fd);
  if (!node.fd.open()) budget_.GiveBack();
  node.error = answer.error;
  node.whole = answer.whole;
  if (answer.error == 0) {
    node.record = answer.record;
    node.readAt = answer.readAt;
  }
  std::swap(node.listing, answer.listing);
  readyBytes_ += node.readAt.now != 0 ? node.listing.Bytes() : 0;
  if (node.state == State::kDropped) return;
  node.state = State::kReady;
  tree_.Answered(node);
}

// The walk comes to `node`: it takes what a helper did of it, or takes back
// a request no helper began, to do it itself. Where a helper is still at it,
// the walk does not wait: it does one or two further on meanwhile, and if the
// helper is not done by then, does this one itself too. Returns the node the
// walk goes on with.
FolderNode* ReadAhead::Settle(FolderNode& node) {
  if (node.state != State::kQueued || Withdraw(node)) return &node;
  Gather(node);
  for (int done = 0; node.state == State::kQueued && done < kMostDoneAhead && DoOneAhead(node); ++done) {
    Gather(node);
  }
  return node.state == State::kQueued ? tree_.Replace(node) : &node;
}

// Does the first request after `from` no helper has begun, as a helper would.
bool ReadAhead::DoOneAhead(FolderNode& from) {
  FolderNode* node = &from;
  for (size_t looked = 0; looked < window_; ++looked) {
    node = NextInOrder(*node, node->state == State::kReady && node->whole);
    if (node == nullptr) return false;
    if (node->state != State::kQueued || !Withdraw(*node)) continue;
    budget_.TakeAnyway();  // for the folder it opens
    AnswerRequest(node->parent->fd.get(), node->name, pace_.cold ? &filePattern_ : nullptr, reader_, answer_);
    TakeAnswer(*node, answer_);
    return true;
  }
  return false;
}

// Whether the walk may take the helper's answer for `child` as its own: the
// listing is whole, a record on its file system proves it current (not on
// a folder whose names a key changes, nor across a setting of the clock), and the
// name, looked up now from the walk's own descriptor of `parent`, still shows
// that very folder unchanged.
bool ReadAhead::Adopt(FolderNode& parent, FolderNode& child) {
  if (!child.whole || !child.trusted || !child.record || child.record->encrypted || child.readAt.now == 0) return false;
  const FolderState& state = child.record->state;
  if (MayChangeUnseen(state, child.readAt, ReadFileSystemClock(), KeepsFineTimes(state)) ||
      !StillShows(parent.fd.get(), child.name.c_str(), *child.record)) {
    return false;
  }
  Forget(child);
  adoptedSoFar.fetch_add(1, std::memory_order_relaxed);
  return true;
}

void ReadAhead::Forget(FolderNode& node) {
  if (node.readAt.now != 0) readyBytes_ -= node.listing.Bytes();
  node.readAt = ClockReading();
  node.error = 0;
  node.whole = false;
}

void ReadAhead::Stepped(FolderNode& at, size_t entries) {
  TakePace(entries);
  Refill(at);
}

// After each folder the walk lists: where the tree has turned out cold,
// many helpers read ahead from then on.
void ReadAhead::TakePace(size_t entries) {
  if (queue_ == nullptr) return;
  const bool wasCold = pace_.cold;
  pace_ = Paced(pace_, entries, queue_->Helpers() > 0, ThisThreadsReadings());
  if (pace_.cold == wasCold) return;
  window_ = kColdWindowPerHelper * coldHelpers_;
  if (queue_->Helpers() > 0) queue_->StartHelpers(coldHelpers_, rootFd_);
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

void ReadAhead::Recycle(FolderListing&& listing) {
  if (spareListings_.size() >= kSpareListings) return;
  listing.Clear();
  spareListings_.push_back(std::move(listing));
}

void ReadAhead::Stop() {
  if (queue_ != nullptr) queue_->Stop();
}

// A request no helper has begun is taken back; an answer that came is let
// go of; the parent of one a helper still works on stays open for it.
void ReadAhead::Abandon(FolderNode& node) {
  if (node.request == nullptr || queue_->Withdraw(*node.request)) return;
  if (queue_->Look(*node.request) == ReadAheadQueue::Progress::kAnswered) {
    queue_->Collect(*node.request, answer_);
    answer_.fd.reset();
  } else if (node.parent->fd.open()) {
    // A helper kept by a file system that does not answer still opens from it.
    queue_->KeepUntilHelpersEnd(std::move(node.parent->fd));
  }
}

void ReadAhead::End() {
  budget_.CloseThrough(nullptr);
  queue_.reset();
  window_ = 0;
  readyBytes_ = 0;
}

}  // namespace dustvane
