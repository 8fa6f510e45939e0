#include "ui/qt/results_line_delegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QScreen>
#include <QToolTip>
#include <algorithm>

#include "ui/qt/tool_tip_text.h"

namespace dustvane {

QSize QtResultsLineDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QAbstractItemModel* model = index.model();
  if (!model) return QStyledItemDelegate::sizeHint(option, index);
  widest_.Measure(
      model->rowCount(), [model](int row) { return model->index(row, 0).data(Qt::DisplayRole).toString(); },
      option.font);
  if (widest_.Row() < 0) return QStyledItemDelegate::sizeHint(option, index);
  // The standard size of the widest line, with its margins, widened where the
  // characters' advances add up to more than its laid-out width.
  const QModelIndex widest = model->index(widest_.Row(), 0);
  QSize size = QStyledItemDelegate::sizeHint(option, widest);
  const int laidOut = option.fontMetrics.horizontalAdvance(widest.data(Qt::DisplayRole).toString());
  size.rwidth() += std::max(0, widest_.Width() - laidOut);
  return size;
}

bool QtResultsLineDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) {
  if (event->type() != QEvent::ToolTip || !index.isValid()) {
    return QStyledItemDelegate::helpEvent(event, view, option, index);
  }
  const QString path = index.data(Qt::ToolTipRole).toString();
  const QScreen* screen = view->screen();
  // Half the screen's width: a long path reads as a few lines, not as one
  // line from edge to edge.
  const int width = screen ? std::max(screen->availableGeometry().width() / 2, 200) : 400;
  QToolTip::showText(event->globalPos(), ToolTipLines(path, QToolTip::font(), width), view->viewport(),
                     option.rect);
  return true;
}

}  // namespace dustvane
