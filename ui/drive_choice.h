#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "search/path_string.h"
#include "ui/drive_list.h"
#include "ui/drive_queries.h"

namespace dustvane {

// The lines of a toolkit's drop-down list, as Drive1's rule works on them.
// Texts are UTF-8.
class DriveLines {
 public:
  virtual ~DriveLines() = default;
  virtual void AddLine(const std::string& text) = 0;
  // Replaces the line's text; the line chosen stays chosen.
  virtual void SetLineText(size_t line, const std::string& text) = 0;
  virtual void RemoveLine(size_t line) = 0;
  virtual std::optional<size_t> ChosenLine() const = 0;
  virtual void Choose(std::optional<size_t> line) = 0;
};

// What Drive1 offers and which drive it has chosen, on whatever toolkit
// shows it. Every drive is listed at once, by the text it has until its
// volume answers, and the one that holds the home folder is chosen. Each
// volume is asked on a helper thread (DriveQueries); its line then shows
// what it told, or leaves the list when the root is no drive after all. When
// the drive that leaves is the one chosen, no drive is chosen: a search then
// says its root was not found, rather than search, and offer to delete
// from, a drive the user did not pick.
class DriveChoice {
 public:
  // `answered` runs on a helper thread after each answer: it must only wake
  // the user-interface thread, which then calls TakeAnswers. Answers that
  // come later than `bound` are dropped.
  DriveChoice(DriveLines& lines, std::vector<PathString> drives, const PathString& homeFolder,
              std::function<void()> answered, DriveQueries::Ask ask = &DriveTextFromVolume,
              std::chrono::milliseconds bound = kDriveAnswerBound);
  ~DriveChoice();
  DriveChoice(const DriveChoice&) = delete;
  DriveChoice& operator=(const DriveChoice&) = delete;

  // The chosen drive's root, exactly as the file system knows it; empty when
  // none is chosen.
  PathString Drive() const;
  // Shows what the volumes have told since the last call.
  void TakeAnswers();

 private:
  DriveLines& lines_;
  std::vector<PathString> drives_;
  std::vector<size_t> driveOnLine_;  // the position in drives_ of each line's drive
  std::unique_ptr<DriveQueries> queries_;
};

}  // namespace dustvane
