#pragma once

#include <QRect>

#include "ui/window_description.h"

class QWidget;

namespace dustvane {

// The pixels a place in twips takes at 96 dots per inch; Qt's own high-DPI
// scaling takes it from there.
constexpr QRect FromTwips(const TwipsRect& twips) {
  constexpr int kTwipsPerPixel = kTwipsPerInch / 96;
  return QRect(twips.left / kTwipsPerPixel, twips.top / kTwipsPerPixel, twips.width / kTwipsPerPixel,
               twips.height / kTwipsPerPixel);
}

// Places a top-level window's client area in the middle of its screen.
void CentreOnScreen(QWidget& window);

}  // namespace dustvane
