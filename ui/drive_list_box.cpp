#include "ui/drive_list_box.h"

#include "ui/drive_list.h"
#include "ui/path_text.h"

namespace dustvane {

DriveListBox::DriveListBox(QWidget* parent, const std::vector<PathString>& drives,
                           const PathString& homeFolder)
    : QComboBox(parent) {
  for (const PathString& root : drives) addItem(DisplayPath(root), PathToBytes(root));
  if (!drives.empty()) setCurrentIndex(static_cast<int>(DriveHolding(drives, homeFolder)));
}

PathString DriveListBox::Drive() const { return PathFromBytes(currentData().toByteArray()); }

}  // namespace dustvane
