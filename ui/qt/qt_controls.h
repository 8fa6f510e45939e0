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

// An option button, with an indicator that shows on any window's colour
// (option_indicator.h).
class QtOption final : public QRadioButton, public OptionControl {
 public:
  using QRadioButton::QRadioButton;
  bool Value() const override { return isChecked(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A one-line text box the user may type into.
class QtTextBox final : public QLineEdit, public TextControl {
 public:
  using QLineEdit::QLineEdit;
  void SetText(const std::string& text) override { setText(QString::fromStdString(text)); }
};

// A read-only line that looks like part of the window, not like a box: it
// takes the window's colour, whatever the palette and whenever it changes,
// and the focus by a click only. A long line is shown from its start: the
// size summary is wider than its box only at its end.
class QtSummaryLine final : public QLineEdit, public TextControl {
 public:
  explicit QtSummaryLine(QWidget* parent);
  void SetText(const std::string& text) override {
    setText(QString::fromStdString(text));
    setCursorPosition(0);
  }

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void TakeWindowColour();
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
