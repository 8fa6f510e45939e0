#include "ui/qt/program_fonts.h"

namespace dustvane {

namespace {

QFont SansSerif(int points) {
  QFont font(QStringLiteral("DejaVu Sans"), points);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace

QFont WindowFont() { return SansSerif(8); }

QFont TitleFont() {
  QFont font = SansSerif(18);
  font.setBold(true);
  return font;
}

}  // namespace dustvane
