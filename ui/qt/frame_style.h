#pragma once

class QGroupBox;

namespace dustvane {

// Gives a frame the look its layout was made for: the caption sits on the
// box's top border, breaking the line, and the border runs through the middle
// of the caption, above the first option. The options inside get indicators
// small enough for an option 13 pixels high.
void StyleFrame(QGroupBox& frame);

}  // namespace dustvane
