#include "ui/qt/qt_controls.h"

#include <QApplication>

namespace dustvane {

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
