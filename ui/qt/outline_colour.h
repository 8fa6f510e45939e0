#pragma once

#include <QColor>
#include <QPalette>

namespace dustvane {

// The colour of the lines drawn straight on the window (the frame around the
// options, the options' rings): halfway between the window's colour and its
// text's, so they stand out as well from a dark window as from a light one,
// whatever the palette, and fade with the text when disabled.
QColor OutlineColour(const QPalette& palette, QPalette::ColorGroup group);

// `over` laid over `under` with the opacity `share` (0 to 1).
QColor Blend(const QColor& under, const QColor& over, double share);

}  // namespace dustvane
