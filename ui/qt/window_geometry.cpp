#include "ui/qt/window_geometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace dustvane {

void CentreOnScreen(QWidget& window) {
  const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
}

}  // namespace dustvane
