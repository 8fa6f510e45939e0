#include "ui/qt/widest_line.h"

#include <cmath>

namespace dustvane {

void WidestLine::Measure(int count, const std::function<QString(int)>& text, const QFont& font) {
  if (!fontKnown_ || font != font_) {
    font_ = font;
    fontKnown_ = true;
    metrics_ = QFontMetricsF(font);
    latin1_.fill(-1);
    others_.clear();
    Forget();
  }
  for (; measured_ < count; ++measured_) {
    const qreal advance = Advance(text(measured_));
    if (row_ < 0 || advance > width_) {
      row_ = measured_;
      width_ = advance;
    }
  }
}

void WidestLine::Forget() {
  measured_ = 0;
  row_ = -1;
  width_ = 0;
}

int WidestLine::Width() const { return static_cast<int>(std::ceil(width_)); }

qreal WidestLine::Advance(const QString& line) {
  qreal sum = 0;
  for (qsizetype i = 0; i < line.size(); ++i) {
    char32_t codePoint = line[i].unicode();
    if (line[i].isHighSurrogate() && i + 1 < line.size() && line[i + 1].isLowSurrogate()) {
      codePoint = QChar::surrogateToUcs4(line[i], line[i + 1]);
      ++i;
    }
    sum += AdvanceOf(codePoint);
  }
  return sum;
}

qreal WidestLine::AdvanceOf(char32_t codePoint) {
  if (codePoint < latin1_.size()) {
    qreal& known = latin1_[codePoint];
    if (known < 0) known = metrics_.horizontalAdvance(QChar(static_cast<char16_t>(codePoint)));
    return known;
  }
  auto known = others_.constFind(codePoint);
  if (known != others_.constEnd()) return *known;
  const QString character = QString::fromUcs4(&codePoint, 1);
  return others_[codePoint] = metrics_.horizontalAdvance(character);
}

}  // namespace dustvane
