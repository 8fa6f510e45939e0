#pragma once

#include <QComboBox>
#include <memory>
#include <vector>

#include "search/path_string.h"
#include "ui/controls.h"
#include "ui/drive_queries.h"

namespace dustvane {

// Drive1: the drives to choose from, each shown by its root folder; `Drive`
// reports the chosen root exactly as the file system knows it. The list is
// there at once; each drive's volume is asked on a helper thread whether its
// root is a folder, and a drive that is not leaves the list when the answer
// comes (DriveQueries).
class QtDriveList final : public QComboBox, public DriveListControl {
 public:
  QtDriveList(QWidget* parent, const std::vector<PathString>& drives, const PathString& homeFolder);
  ~QtDriveList() override;

  PathString Drive() const override;
  void SetEnabled(bool enabled) override { setEnabled(enabled); }

 private:
  void TakeAnswers();

  std::vector<PathString> drives_;
  std::unique_ptr<DriveQueries> queries_;
};

}  // namespace dustvane
