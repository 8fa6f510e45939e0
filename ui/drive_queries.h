#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "search/path_string.h"

namespace dustvane {

// Asks every drive's volume what Drive1 should show for it, each drive on a
// helper thread of its own: a volume may take long or never answer (a
// network share whose server is gone, a file system whose server hangs), and
// neither the window nor any other drive may wait on it. The answers that
// come within the bound are handed over on the user-interface thread; later
// ones are dropped, and a helper stuck in a volume is left to it, holding
// nothing of the window's.
class DriveQueries {
 public:
  // What a drive's volume says: the text to show, or nothing when the root
  // is no drive after all. May wait on the volume for ever.
  using Ask = std::function<std::optional<std::string>(const PathString& root)>;

  struct Answer {
    size_t drive;  // its position in the roots given
    std::optional<std::string> text;
  };

  // Starts asking about every root. `answered` runs on a helper thread after
  // each answer is kept, for as long as this object lives: it must only wake
  // the user-interface thread (post it a message), which then calls
  // TakeAnswers.
  DriveQueries(const std::vector<PathString>& roots, Ask ask, std::function<void()> answered,
               std::chrono::milliseconds bound);
  // Drops every answer still to come, without waiting on any helper.
  ~DriveQueries();
  DriveQueries(const DriveQueries&) = delete;
  DriveQueries& operator=(const DriveQueries&) = delete;

  // The answers kept since the last call.
  std::vector<Answer> TakeAnswers();

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

// How long Drive1 waits for a volume to tell its label, or whether its mount
// point is a folder, before it keeps what it shows for good.
inline constexpr std::chrono::milliseconds kDriveAnswerBound{5000};

}  // namespace dustvane
