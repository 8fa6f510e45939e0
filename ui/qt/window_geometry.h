#pragma once

#include <QRect>

class QWidget;

namespace dustvane {

// The windows are laid out in twips; at 96 dots per inch 15 twips make one
// pixel, and Qt's own high-DPI scaling takes it from there.
constexpr int kTwipsPerPixel = 15;

constexpr QRect FromTwips(int left, int top, int width, int height) {
  return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
               height / kTwipsPerPixel);
}

// Places a top-level window's client area in the middle of its screen.
void CentreOnScreen(QWidget& window);

}  // namespace dustvane
