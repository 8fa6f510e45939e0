#include "ui/qt/outline_colour.h"

namespace dustvane {

QColor Blend(const QColor& under, const QColor& over, double share) {
  const auto mix = [share](int a, int b) { return static_cast<int>(a + (b - a) * share + 0.5); };
  return QColor(mix(under.red(), over.red()), mix(under.green(), over.green()), mix(under.blue(), over.blue()));
}

QColor OutlineColour(const QPalette& palette, QPalette::ColorGroup group) {
  return Blend(palette.color(group, QPalette::Window), palette.color(group, QPalette::WindowText), 0.5);
}

}  // namespace dustvane
