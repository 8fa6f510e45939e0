#pragma once

#include <QComboBox>
#include <memory>
#include <vector>

#include "search/path_string.h"
#include "ui/controls.h"
#include "ui/drive_choice.h"

namespace dustvane {

// Drive1 in Qt: a drop-down list of the drives, each shown by its root
// folder, as DriveChoice fills it and changes it when the volumes answer;
// `Drive` reports the chosen root exactly as the file system knows it.
class QtDriveList final : public QComboBox, public DriveListControl, private DriveLines {
 public:
  QtDriveList(QWidget* parent, const std::vector<PathString>& drives, const PathString& homeFolder);
  ~QtDriveList() override;

  PathString Drive() const override { return choice_->Drive(); }
  void SetEnabled(bool enabled) override { setEnabled(enabled); }

 private:
  void AddLine(const std::string& text) override;
  void SetLineText(size_t line, const std::string& text) override;
  void RemoveLine(size_t line) override;
  std::optional<size_t> ChosenLine() const override;
  void Choose(std::optional<size_t> line) override;

  std::unique_ptr<DriveChoice> choice_;
};

}  // namespace dustvane
