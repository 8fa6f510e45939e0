#pragma once

// The plain Qt widgets behind the control interfaces: each is the widget
// itself, so a window lays it out and connects its signals as any other.

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "ui/controls.h"

namespace dustvane {

class QtButton final : public QPushButton, public ButtonControl {
 public:
  using QPushButton::QPushButton;
  void SetCaption(const std::string& caption) override { setText(QString::fromStdString(caption)); }
  void SetEnabled(bool enabled) override { setEnabled(enabled); }
};

class QtOption final : public QRadioButton, public OptionControl {
 public:
  using QRadioButton::QRadioButton;
  bool Value() const override { return isChecked(); }
};

// A one-line text box. A long line is shown from its start: the size summary
// is wider than its box only at its end.
class QtTextBox final : public QLineEdit, public TextControl {
 public:
  QtTextBox(QWidget* parent, bool showFromStart) : QLineEdit(parent), showFromStart_(showFromStart) {}
  void SetText(const std::string& text) override {
    setText(QString::fromStdString(text));
    if (showFromStart_) setCursorPosition(0);
  }

 private:
  bool showFromStart_;
};

class QtTimer final : public QTimer, public TimerControl {
 public:
  using QTimer::QTimer;
  bool Enabled() const override { return isActive(); }
  void SetEnabled(bool enabled) override {
    if (enabled) {
      start();
    } else {
      stop();
    }
  }
};

// The application-wide override cursor. Only the hourglass this pointer put
// up is taken down again, so a cursor that someone else set stays.
class QtScreenPointer final : public ScreenPointer {
 public:
  ~QtScreenPointer() override { Show(PointerShape::Default); }
  void Show(PointerShape shape) override;

 private:
  bool hourglass_ = false;
};

}  // namespace dustvane
