#pragma once

#include <QStyledItemDelegate>

#include "ui/qt/widest_line.h"

namespace dustvane {

// How List1 sizes its lines and shows a line's full path. Every line is as
// wide as the widest (the list asks one line's size and gives it to all), so
// the list scrolls sideways to the end of its longest line; each line is
// measured once, after it was added, never when it is drawn. The tooltip
// breaks a path too long for the screen into lines.
class QtResultsLineDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override;

  // The lines measured so far are gone: the list was cleared.
  void Forget() { widest_.Forget(); }

 private:
  mutable WidestLine widest_;
};

}  // namespace dustvane
