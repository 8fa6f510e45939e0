#pragma once

#include <QProgressBar>

#include "ui/controls.h"

namespace dustvane {

// The activity bar: a 0 to 100 progress bar that keeps the float position
// it was given and shows it rounded.
class QtActivityBar final : public QProgressBar, public ActivityBarControl {
  Q_OBJECT

 public:
  explicit QtActivityBar(QWidget* parent);

  bool Visible() const { return !isHidden(); }
  void SetVisible(bool visible) override { setVisible(visible); }
  float Value() const override { return position_; }
  void SetValue(float position) override;

 private:
  float position_ = 0.0f;
};

}  // namespace dustvane
