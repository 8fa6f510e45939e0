#pragma once

#include <QString>
#include <QWidget>
#include <string_view>

#include "ui/app_context.h"
#include "ui/window_description.h"

namespace dustvane {

// Makes `window` the fixed-size top-level window described, with the
// program's icon and font, and its controls: each a widget of its kind,
// named after its control, placed in its container, captioned, named for
// screen readers where its caption does not say what it is, stacked in the
// description's order and visited by Tab in its tab order, the first of
// which has the focus. Buttons never act as a default or cancel button:
// Enter and Esc press nothing.
void BuildWindow(QWidget& window, const WindowDescription& description, AppContext& context);

// The control of that name in `window`, as the widget it was made as.
template <class Widget>
Widget* ControlOf(QWidget& window, std::string_view name) {
  const QString objectName = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  Widget* control = window.findChild<Widget*>(objectName);
  if (!control) qFatal("no control %s of that kind in %s", qPrintable(objectName), qPrintable(window.objectName()));
  return control;
}

}  // namespace dustvane
