#include "ui/qt/frame.h"

#include <QPainter>
#include <QStyle>

#include "ui/qt/outline_colour.h"

namespace dustvane {

namespace {

// Where the caption starts, and the gap it leaves in the line on each side.
constexpr int kCaptionLeft = 8;
constexpr int kCaptionGap = 2;

}  // namespace

QRect QtFrame::CaptionRect() const {
  return QRect(kCaptionLeft, 0, fontMetrics().horizontalAdvance(title()), fontMetrics().height());
}

void QtFrame::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
  const QRect caption = CaptionRect();
  const int top = LineTop();
  const int right = width() - 1;
  const int bottom = height() - 1;

  painter.setPen(OutlineColour(palette(), group));
  painter.drawLine(0, top, 0, bottom);
  painter.drawLine(0, bottom, right, bottom);
  painter.drawLine(right, bottom, right, top);
  painter.drawLine(right, top, caption.right() + 1 + kCaptionGap, top);
  painter.drawLine(caption.left() - kCaptionGap, top, 0, top);

  style()->drawItemText(&painter, caption, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, palette(),
                        isEnabled(), title(), QPalette::WindowText);
}

}  // namespace dustvane
