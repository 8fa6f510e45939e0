#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>
#include <array>
#include <functional>

namespace dustvane {

// The widest of a growing list of lines in one font. Each line is measured
// once, the first time the widest is asked for after it was added, by adding
// up the advances of its characters, each of which is asked of the font only
// the first time it comes: tens of thousands of lines take milliseconds, where
// laying out each line in full would take a second or more. The sum leaves out
// kerning and ligatures, which make a line drawn a few pixels narrower, seldom
// wider.
class WidestLine {
 public:
  // Measures the lines not measured yet, up to `count`; `text` gives a line's
  // text by its row. A font other than the last one measures every line again.
  void Measure(int count, const std::function<QString(int)>& text, const QFont& font);
  // Forgets every line: the list was cleared.
  void Forget();

  // The row of the widest line measured, or -1 when there is none.
  int Row() const { return row_; }
  // Its width in pixels, rounded up.
  int Width() const;

 private:
  qreal Advance(const QString& line);
  qreal AdvanceOf(char32_t codePoint);

  QFont font_;
  bool fontKnown_ = false;
  QFontMetricsF metrics_{QFont()};
  std::array<qreal, 256> latin1_{};  // below 0: not asked yet
  QHash<char32_t, qreal> others_;
  int measured_ = 0;
  int row_ = -1;
  qreal width_ = 0;
};

}  // namespace dustvane
