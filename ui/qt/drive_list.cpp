#include "ui/qt/drive_list.h"

namespace dustvane {

QtDriveList::QtDriveList(QWidget* parent, const std::vector<PathString>& drives, const PathString& homeFolder)
    : QComboBox(parent) {
  DriveLines& lines = *this;
  choice_ = std::make_unique<DriveChoice>(lines, drives, homeFolder, [this] {
    QMetaObject::invokeMethod(this, [this] { choice_->TakeAnswers(); }, Qt::QueuedConnection);
  });
}

QtDriveList::~QtDriveList() = default;

void QtDriveList::AddLine(const std::string& text) { addItem(QString::fromStdString(text)); }

void QtDriveList::SetLineText(size_t line, const std::string& text) {
  setItemText(static_cast<int>(line), QString::fromStdString(text));
}

void QtDriveList::RemoveLine(size_t line) { removeItem(static_cast<int>(line)); }

std::optional<size_t> QtDriveList::ChosenLine() const {
  const int line = currentIndex();
  return line < 0 ? std::nullopt : std::optional<size_t>(static_cast<size_t>(line));
}

void QtDriveList::Choose(std::optional<size_t> line) { setCurrentIndex(line ? static_cast<int>(*line) : -1); }

}  // namespace dustvane
