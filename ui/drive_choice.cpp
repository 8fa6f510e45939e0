#include "ui/drive_choice.h"

#include <algorithm>

#include "ui/drive_list.h"

namespace dustvane {

DriveChoice::DriveChoice(DriveLines& lines, std::vector<PathString> drives, const PathString& homeFolder,
                         std::function<void()> answered, DriveQueries::Ask ask,
                         std::chrono::milliseconds bound)
    : lines_(lines), drives_(std::move(drives)) {
  for (size_t drive = 0; drive < drives_.size(); ++drive) {
    lines_.AddLine(DriveText(drives_[drive]));
    driveOnLine_.push_back(drive);
  }
  if (!drives_.empty()) lines_.Choose(DriveHolding(drives_, homeFolder));
  queries_ = std::make_unique<DriveQueries>(drives_, std::move(ask), std::move(answered), bound);
}

DriveChoice::~DriveChoice() = default;

PathString DriveChoice::Drive() const {
  const std::optional<size_t> line = lines_.ChosenLine();
  if (!line || *line >= driveOnLine_.size()) return PathString();
  return drives_[driveOnLine_[*line]];
}

void DriveChoice::TakeAnswers() {
  for (const DriveQueries::Answer& answer : queries_->TakeAnswers()) {
    const auto found = std::find(driveOnLine_.begin(), driveOnLine_.end(), answer.drive);
    if (found == driveOnLine_.end()) continue;
    const auto line = static_cast<size_t>(found - driveOnLine_.begin());
    if (answer.text) {
      lines_.SetLineText(line, *answer.text);
      continue;
    }
    const std::optional<size_t> chosen = lines_.ChosenLine();
    lines_.RemoveLine(line);
    driveOnLine_.erase(found);
    if (!chosen || *chosen == line) {
      lines_.Choose(std::nullopt);
    } else {
      lines_.Choose(*chosen > line ? *chosen - 1 : *chosen);
    }
  }
}

}  // namespace dustvane
