#include "ui/qt/results_list.h"

#include <QScrollBar>

namespace dustvane {

QtResultsList::QtResultsList(QWidget* parent) : QListView(parent) {
  setModel(&lines_);
  setItemDelegate(&lineDelegate_);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Every line takes the size the delegate gives the widest, so the view
  // need not measure 32,767 lines one by one each time it lays them out.
  setUniformItemSizes(true);
  setTextElideMode(Qt::ElideNone);
}

MaybeFailure QtResultsList::AddItem(const PathString& line) {
  lines_.Append(line);
  return std::nullopt;
}

void QtResultsList::Clear() {
  lines_.Clear();
  lineDelegate_.Forget();
  // The scroll bars keep their places until the view lays its lines out
  // again, after the search has filled it.
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
}

PathString QtResultsList::SelectedPath() const {
  const QModelIndexList selected = selectionModel()->selectedIndexes();
  if (selected.isEmpty()) return PathString();
  return lines_.Line(selected.first().row());
}

}  // namespace dustvane
