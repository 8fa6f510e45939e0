#pragma once

#include <QComboBox>
#include <vector>

#include "search/path_string.h"
#include "ui/controls.h"

namespace dustvane {

// Drive1: the drives to choose from, each shown by its root folder; `Drive`
// reports the chosen root exactly as the file system knows it.
class DriveListBox final : public QComboBox, public DriveListControl {
 public:
  DriveListBox(QWidget* parent, const std::vector<PathString>& drives, const PathString& homeFolder);

  PathString Drive() const override;
  void SetEnabled(bool enabled) override { setEnabled(enabled); }

 private:
  std::vector<PathString> drives_;
};

}  // namespace dustvane
