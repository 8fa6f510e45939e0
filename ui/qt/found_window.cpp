#include "ui/qt/found_window.h"

#include <QCloseEvent>

#include "ui/found_window_description.h"
#include "ui/qt/qt_controls.h"
#include "ui/qt/results_list.h"
#include "ui/qt/window_builder.h"
#include "ui/qt/window_geometry.h"

namespace dustvane {

QtFoundWindow::QtFoundWindow(AppContext& context) : QWidget(nullptr) {
  BuildWindow(*this, kFoundWindowDescription, context);
  List1 = ControlOf<QtResultsList>(*this, "List1");
  Text3 = ControlOf<QtTextBox>(*this, "Text3");
  txtSizeSummary = ControlOf<QtSummaryLine>(*this, "txtSizeSummary");
  cmdDelete = ControlOf<QtButton>(*this, "cmdDelete");
  cmdClose = ControlOf<QtButton>(*this, "cmdClose");
  form_ = std::make_unique<frmFound>(context, FoundWindowControls{*this, *List1, *Text3, *txtSizeSummary});
  Wire();
}

QtFoundWindow::~QtFoundWindow() = default;

void QtFoundWindow::Wire() {
  frmFound& form = *form_;
  connect(cmdDelete, &QPushButton::clicked, this, [&form] { form.cmdDelete_Click(); });
  connect(cmdClose, &QPushButton::clicked, this, [&form] { form.cmdClose_Click(); });
}

void QtFoundWindow::SetVisible(bool visible) {
  if (visible && !shownBefore_) {
    CentreOnScreen(*this);
    shownBefore_ = true;
  }
  setVisible(visible);
}

void QtFoundWindow::closeEvent(QCloseEvent* event) {
  // The frame's close control hides the window as Close does.
  event->ignore();
  form_->cmdClose_Click();
}

}  // namespace dustvane
