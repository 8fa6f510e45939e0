#include "ui/qt/results_model.h"

#include "ui/path_text.h"

namespace dustvane {

void QtResultsModel::Append(const PathString& line) {
  const int row = static_cast<int>(lines_.size());
  beginInsertRows(QModelIndex(), row, row);
  lines_.push_back(line);
  endInsertRows();
}

void QtResultsModel::Clear() {
  beginResetModel();
  lines_.clear();
  endResetModel();
}

int QtResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant QtResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
      return QString::fromStdString(DisplayPath(Line(index.row())));
    default:
      return {};
  }
}

}  // namespace dustvane
