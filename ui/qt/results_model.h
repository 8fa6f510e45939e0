#pragma once

#include <QAbstractListModel>
#include <vector>

#include "search/path_string.h"

namespace dustvane {

// The lines of List1: the exact path of every file found, in the order the
// search appended them, never sorted. The text shown is computed when asked:
// once for every line when a fill measures the widest one, then only for the
// lines the view draws; appending itself costs little more than storing.
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
