#include "ui/qt/drive_list_box.h"

#include "ui/drive_list.h"
#include "ui/path_text.h"

namespace dustvane {

DriveListBox::DriveListBox(QWidget* parent, const std::vector<PathString>& drives, const PathString& homeFolder)
    : QComboBox(parent), drives_(drives) {
  for (const PathString& root : drives_) addItem(QString::fromStdString(DisplayPath(root)));
  if (!drives_.empty()) setCurrentIndex(static_cast<int>(DriveHolding(drives_, homeFolder)));
}

PathString DriveListBox::Drive() const {
  const int index = currentIndex();
  if (index < 0 || static_cast<size_t>(index) >= drives_.size()) return PathString();
  return drives_[static_cast<size_t>(index)];
}

}  // namespace dustvane
