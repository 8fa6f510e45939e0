#pragma once

#include <QRect>

#include "ui/window_description.h"

class QWidget;

namespace dustvane {

// The pixels a place in twips takes at 96 dots per inch; Qt's own high-DPI
// scaling takes it from there.
constexpr QRect FromTwips(const TwipsRect& twips) {
  const PixelRect pixels = At96Dpi(twips);
  return QRect(pixels.left, pixels.top, pixels.width, pixels.height);
}

// Places a top-level window's client area in the middle of its screen.
void CentreOnScreen(QWidget& window);

}  // namespace dustvane
