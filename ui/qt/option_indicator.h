#pragma once

#include <QRectF>

class QRadioButton;
class QStyleOptionButton;

namespace dustvane {

// Paints an option button as its style does, its caption and focus frame,
// but with an indicator of our own: a ring in the outline colour round a
// field of the palette's base colour, with a dot in its text colour when
// selected. Styles draw the ring in a shade of the window's own colour,
// which all but vanishes on a dark window; and the smallest option in the
// layout, 13 pixels high, needs an indicator smaller than most styles draw.
// `option` is the button's own style option (its initStyleOption).
void PaintOptionButton(QRadioButton& button, const QStyleOptionButton& option);

// Where the indicator's ring is drawn in the place the style gives it.
QRectF IndicatorRing(const QRect& place);

}  // namespace dustvane
