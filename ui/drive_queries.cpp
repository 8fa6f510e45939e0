#include "ui/drive_queries.h"

#include <mutex>
#include <utility>

#include "ui/detached_thread.h"

namespace dustvane {

// What the helpers share with the list, and keep alive while they wait.
struct DriveQueries::Shared {
  std::mutex mutex;
  std::vector<Answer> answers;
  std::function<void()> answered;
  std::chrono::steady_clock::time_point deadline;
};

DriveQueries::DriveQueries(const std::vector<PathString>& roots, Ask ask, std::function<void()> answered,
                           std::chrono::milliseconds bound)
    : shared_(std::make_shared<Shared>()) {
  shared_->answered = std::move(answered);
  shared_->deadline = std::chrono::steady_clock::now() + bound;
  for (size_t drive = 0; drive < roots.size(); ++drive) {
    // Where no thread can be had, this drive keeps what it shows.
    StartDetachedThread([shared = shared_, ask, root = roots[drive], drive] {
      std::optional<std::string> text = ask(root);
      std::lock_guard<std::mutex> lock(shared->mutex);
      if (!shared->answered || std::chrono::steady_clock::now() > shared->deadline) return;
      shared->answers.push_back({drive, std::move(text)});
      shared->answered();
    });
  }
}

DriveQueries::~DriveQueries() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->answered = nullptr;  // the list is gone: answers from now on are dropped
}

std::vector<DriveQueries::Answer> DriveQueries::TakeAnswers() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return std::exchange(shared_->answers, {});
}

}  // namespace dustvane
