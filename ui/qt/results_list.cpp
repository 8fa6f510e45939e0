#include "ui/qt/results_list.h"

namespace dustvane {

QtResultsList::QtResultsList(QWidget* parent) : QListView(parent) {
  setModel(&lines_);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Every line is one text line high, so the view need not measure 32,767
  // lines one by one.
  setUniformItemSizes(true);
  setTextElideMode(Qt::ElideNone);
}

MaybeFailure QtResultsList::AddItem(const PathString& line) {
  lines_.Append(line);
  return std::nullopt;
}

PathString QtResultsList::SelectedPath() const {
  const QModelIndexList selected = selectionModel()->selectedIndexes();
  if (selected.isEmpty()) return PathString();
  return lines_.Line(selected.first().row());
}

}  // namespace dustvane
