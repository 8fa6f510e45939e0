#pragma once

#include <QGroupBox>

namespace dustvane {

// A captioned frame with the look its layout was made for: the caption sits
// on the box's top line, breaking it, and the line runs through the middle of
// the caption, above the first option (Qt's own styles put the caption above
// the box and start the box below it, over the first option). The line takes
// its colour from the palette each time it is drawn.
class QtFrame final : public QGroupBox {
 public:
  using QGroupBox::QGroupBox;

  // Where the caption is drawn, and the height at which the box's top line
  // runs, in the frame's own coordinates.
  QRect CaptionRect() const;
  int LineTop() const { return fontMetrics().height() / 2; }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace dustvane
