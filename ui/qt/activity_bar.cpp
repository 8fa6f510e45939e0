#include "ui/qt/activity_bar.h"

#include <cmath>

namespace dustvane {

QtActivityBar::QtActivityBar(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 100);
  setValue(0);
  setTextVisible(false);
}

void QtActivityBar::SetValue(float position) {
  position_ = position;
  setValue(static_cast<int>(std::lround(position)));
}

}  // namespace dustvane
