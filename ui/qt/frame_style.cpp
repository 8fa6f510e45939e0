#include "ui/qt/frame_style.h"

#include <QFontMetrics>
#include <QGroupBox>

namespace dustvane {

namespace {

// The smallest option in the layout is 13 pixels high; the indicator leaves
// a pixel free above and below it.
constexpr int kOptionIndicatorPixels = 11;

}  // namespace

void StyleFrame(QGroupBox& frame) {
  // Qt's own styles put the caption above the box and start the box below
  // it, over the first option. The box's top line is drawn at half the
  // caption's height instead, and the caption, drawn in the margin above the
  // box, keeps the line from running through its text.
  const int captionHeight = QFontMetrics(frame.font()).height();
  frame.setStyleSheet(QStringLiteral("QGroupBox {"
                                     "  border: 1px solid palette(mid);"
                                     "  margin-top: %1px;"
                                     "}"
                                     "QGroupBox::title {"
                                     "  subcontrol-origin: margin;"
                                     "  subcontrol-position: top left;"
                                     "  left: 6px;"
                                     "  padding: 0px 2px;"
                                     "}"
                                     "QRadioButton::indicator {"
                                     "  width: %2px;"
                                     "  height: %2px;"
                                     "}")
                          .arg(captionHeight / 2)
                          .arg(kOptionIndicatorPixels));
}

}  // namespace dustvane
