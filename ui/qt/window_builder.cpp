#include "ui/qt/window_builder.h"

#include <QLabel>
#include <QRadioButton>
#include <map>

#include "ui/qt/activity_bar.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/drive_list.h"
#include "ui/qt/frame.h"
#include "ui/qt/program_fonts.h"
#include "ui/qt/qt_controls.h"
#include "ui/qt/results_list.h"
#include "ui/qt/window_geometry.h"

namespace dustvane {

namespace {

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

Qt::Alignment Aligned(TextAlign align) {
  switch (align) {
    case TextAlign::Centre:
      return Qt::AlignCenter;
    case TextAlign::Right:
      return Qt::AlignRight | Qt::AlignVCenter;
    case TextAlign::Left:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

QLabel* MakeLabel(const ControlDescription& control, QWidget* parent) {
  auto* label = new QLabel(Utf8(control.caption), parent);
  label->setAlignment(Aligned(control.align));
  return label;
}

QWidget* MakeControl(const ControlDescription& control, QWidget* parent, AppContext& context) {
  switch (control.kind) {
    case ControlKind::Button: {
      auto* button = new QtButton(Utf8(control.caption), parent);
      button->setAutoDefault(false);
      button->setDefault(false);
      return button;
    }
    case ControlKind::Option:
      return new QtOption(Utf8(control.caption), parent);
    case ControlKind::Frame:
      return new QtFrame(Utf8(control.caption), parent);
    case ControlKind::Label:
      return MakeLabel(control, parent);
    case ControlKind::Title: {
      QLabel* title = MakeLabel(control, parent);
      title->setFrameStyle(QFrame::Box | QFrame::Plain);
      title->setFont(TitleFont());
      return title;
    }
    case ControlKind::DriveList:
      return new QtDriveList(parent, context.drives, context.homeFolder);
    case ControlKind::ActivityBar:
      return new QtActivityBar(parent);
    case ControlKind::ResultsList:
      return new QtResultsList(parent);
    case ControlKind::TextBox:
      return new QtTextBox(parent);
    case ControlKind::SummaryLine:
      return new QtSummaryLine(parent);
  }
  qFatal("a control of no known kind");
}

void TakeStartingState(QWidget& widget, const ControlDescription& control) {
  if (auto* option = qobject_cast<QRadioButton*>(&widget)) option->setChecked(control.checked);
  widget.setEnabled(control.enabled);
  if (!control.visible) widget.setVisible(false);
  if (const std::optional<RgbColour>& colour = control.textColour) {
    QPalette coloured = widget.palette();
    coloured.setColor(QPalette::Text, QColor(colour->red, colour->green, colour->blue));
    widget.setPalette(coloured);
  }
}

}  // namespace

void BuildWindow(QWidget& window, const WindowDescription& description, AppContext& context) {
  window.setObjectName(Utf8(description.name));
  window.setWindowTitle(Utf8(description.caption));
  window.setWindowIcon(AppIcon());
  window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowCloseButtonHint |
                        (description.minimizable ? Qt::WindowMinimizeButtonHint : Qt::WindowFlags()));
  window.setFont(WindowFont());
  window.setFixedSize(FromTwips(description.clientArea).size());

  std::map<std::string_view, QWidget*> made;
  for (const ControlDescription& control : description.controls) {
    QWidget* parent = control.container.empty() ? &window : made.at(control.container);
    QWidget* widget = MakeControl(control, parent, context);
    widget->setObjectName(Utf8(control.name));
    widget->setGeometry(FromTwips(control.place));
    if (!control.accessibleName.empty()) widget->setAccessibleName(Utf8(control.accessibleName));
    TakeStartingState(*widget, control);
    made[control.name] = widget;
  }
  const std::vector<const ControlDescription*> order = description.TabOrder();
  for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(made[order[i - 1]->name], made[order[i]->name]);
  if (!order.empty()) made[order.front()->name]->setFocus();
}

}  // namespace dustvane
