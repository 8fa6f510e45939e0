#include "ui/qt/qt_controls.h"

#include <QApplication>
#include <QEvent>
#include <QStyleOptionButton>

#include "ui/qt/option_indicator.h"

namespace dustvane {

void QtOption::paintEvent(QPaintEvent*) {
  QStyleOptionButton option;
  initStyleOption(&option);
  PaintOptionButton(*this, option);
}

QtSummaryLine::QtSummaryLine(QWidget* parent) : QLineEdit(parent) {
  setReadOnly(true);
  setFrame(false);
  setFocusPolicy(Qt::ClickFocus);
  TakeWindowColour();
}

void QtSummaryLine::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) TakeWindowColour();
}

void QtSummaryLine::TakeWindowColour() {
  // The line's own base colour is the one role it sets; the window's colour
  // it copies is inherited, so a new palette brings a new one. Setting it
  // changes the palette again, which then finds it right.
  const QColor window = palette().color(QPalette::Window);
  if (palette().color(QPalette::Base) == window) return;
  QPalette flat = palette();
  flat.setColor(QPalette::Base, window);
  setPalette(flat);
}

void QtScreenPointer::Show(PointerShape shape) {
  const bool wantHourglass = shape == PointerShape::Hourglass;
  if (wantHourglass == hourglass_) return;
  if (wantHourglass) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
  hourglass_ = wantHourglass;
}

}  // namespace dustvane
