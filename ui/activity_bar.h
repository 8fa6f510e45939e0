#pragma once

#include <QProgressBar>

namespace dustvane {

// The activity bar: a 0 to 100 progress bar offering what the search command
// and the timer use of it, its visibility and a single-precision position.
// The position is kept as the float it was set to, so stepping it by 2 and
// comparing it with 100 works on exactly the values the timer computed.
class ActivityBar : public QProgressBar {
  Q_OBJECT

 public:
  explicit ActivityBar(QWidget* parent);

  bool Visible() const { return !isHidden(); }
  void SetVisible(bool visible) { setVisible(visible); }
  float Value() const { return position_; }
  void SetValue(float position);

 private:
  float position_ = 0.0f;
};

}  // namespace dustvane
