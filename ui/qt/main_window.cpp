#include "ui/qt/main_window.h"

#include <QCloseEvent>

#include "ui/main_window_description.h"
#include "ui/qt/activity_bar.h"
#include "ui/qt/drive_list.h"
#include "ui/qt/found_window.h"
#include "ui/qt/window_builder.h"
#include "ui/qt/window_geometry.h"

namespace dustvane {

QtMainWindow::QtMainWindow(AppContext& context) : QWidget(nullptr) {
  BuildWindow(*this, kMainWindowDescription, context);
  cmdSearch = ControlOf<QtButton>(*this, "cmdSearch");
  cmdExit = ControlOf<QtButton>(*this, "cmdExit");
  optSearchAll = ControlOf<QtOption>(*this, "optSearchAll");
  optDrive = ControlOf<QtOption>(*this, "optDrive");
  Drive1 = ControlOf<QtDriveList>(*this, "Drive1");
  ProgressBar1 = ControlOf<QtActivityBar>(*this, "ProgressBar1");
  tmrAnimation = new QtTimer(this);
  tmrAnimation->setObjectName("tmrAnimation");
  tmrAnimation->setInterval(kAnimationInterval);

  MainWindowControls controls{*this,         *cmdSearch,    *optSearchAll, *optDrive,
                              *Drive1,       *ProgressBar1, *tmrAnimation, pointer_};
  form_ = std::make_unique<frmMain>(context, controls, [this, &context]() -> Result<frmFound*> {
    // Qt makes its windows or ends the program: this cannot fail.
    found_ = std::make_unique<QtFoundWindow>(context);
    return &found_->Form();
  });
  Wire();
  CentreOnScreen(*this);
}

QtMainWindow::~QtMainWindow() = default;

QtFoundWindow* QtMainWindow::Found() { return form_->Found().ok() ? found_.get() : nullptr; }

void QtMainWindow::Wire() {
  frmMain& form = *form_;
  connect(cmdSearch, &QPushButton::clicked, this, [&form] { form.cmdSearch_Click(); });
  connect(cmdExit, &QPushButton::clicked, this, [&form] { form.cmdExit_Click(); });
  connect(optSearchAll, &QRadioButton::toggled, this, [&form](bool on) {
    if (on) form.optSearchAll_Click();
  });
  connect(optDrive, &QRadioButton::toggled, this, [&form](bool on) {
    if (on) form.optDrive_Click();
  });
  connect(tmrAnimation, &QTimer::timeout, this, [&form] { form.tmrAnimation_Timer(); });
  tmrAnimation->start();
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
  // The frame's close control ends the program as Exit does.
  event->accept();
  form_->cmdExit_Click();
}

}  // namespace dustvane
