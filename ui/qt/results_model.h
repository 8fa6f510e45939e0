#pragma once

#include <QAbstractListModel>
#include <vector>

#include "search/path_string.h"

namespace dustvane {

// The lines of List1: the exact path of every file found, in the order the
// search appended them, never sorted. The text shown is computed only for the
// lines the view draws, so appending tens of thousands of lines costs little
// more than storing them.
class QtResultsModel final : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  void Append(const PathString& line);
  void Clear();
  const PathString& Line(int row) const { return lines_[static_cast<size_t>(row)]; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  std::vector<PathString> lines_;
};

}  // namespace dustvane
