#include "ui/qt/drive_list.h"

#include "ui/drive_list.h"

namespace dustvane {

QtDriveList::QtDriveList(QWidget* parent, const std::vector<PathString>& drives, const PathString& homeFolder)
    : QComboBox(parent), drives_(drives) {
  // Each line keeps its drive's position in drives_, which lines leaving the
  // list do not change.
  for (size_t drive = 0; drive < drives_.size(); ++drive) {
    addItem(QString::fromStdString(DriveText(drives_[drive])), QVariant::fromValue(drive));
  }
  if (!drives_.empty()) setCurrentIndex(static_cast<int>(DriveHolding(drives_, homeFolder)));
  queries_ = std::make_unique<DriveQueries>(
      drives_, &DriveTextFromVolume,
      [this] { QMetaObject::invokeMethod(this, [this] { TakeAnswers(); }, Qt::QueuedConnection); },
      kDriveAnswerBound);
}

QtDriveList::~QtDriveList() = default;

PathString QtDriveList::Drive() const {
  const int line = currentIndex();
  if (line < 0) return PathString();
  const size_t drive = itemData(line).value<size_t>();
  return drive < drives_.size() ? drives_[drive] : PathString();
}

void QtDriveList::TakeAnswers() {
  for (const DriveQueries::Answer& answer : queries_->TakeAnswers()) {
    const int line = findData(QVariant::fromValue(answer.drive));
    if (line < 0) continue;
    if (answer.text) {
      setItemText(line, QString::fromStdString(*answer.text));
    } else {
      removeItem(line);
    }
  }
}

}  // namespace dustvane
