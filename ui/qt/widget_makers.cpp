#include "ui/qt/widget_makers.h"

#include <QLabel>

#include "ui/qt/app_icon.h"
#include "ui/qt/program_fonts.h"
#include "ui/qt/qt_controls.h"

namespace dustvane {

namespace {

template <class Control>
Control* Place(Control* control, const char* name, QRect geometry) {
  control->setObjectName(name);
  control->setGeometry(geometry);
  return control;
}

}  // namespace

void SetUpWindow(QWidget& window, const char* name, const QString& caption, QSize clientSize,
                 Qt::WindowFlags titleBarButtons) {
  window.setObjectName(name);
  window.setWindowTitle(caption);
  window.setWindowIcon(AppIcon());
  window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | titleBarButtons);
  window.setFont(WindowFont());
  window.setFixedSize(clientSize);
}

QtButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
  auto* button = Place(new QtButton(caption, parent), name, geometry);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
  return Place(new QLabel(caption, parent), name, geometry);
}

QtOption* MakeOption(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
  return Place(new QtOption(caption, parent), name, geometry);
}

}  // namespace dustvane
