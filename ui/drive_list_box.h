#pragma once

#include <QComboBox>
#include <vector>

#include "search/path_string.h"

namespace dustvane {

// Drive1: the drives to choose from, each shown by its root folder; `Drive`
// reports the chosen root exactly as the file system knows it.
class DriveListBox : public QComboBox {
 public:
  DriveListBox(QWidget* parent, const std::vector<PathString>& drives, const PathString& homeFolder);

  PathString Drive() const;
};

}  // namespace dustvane
