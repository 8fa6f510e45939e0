#include "ui/qt/main_window.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>

#include "ui/control_names.h"
#include "ui/qt/activity_bar.h"
#include "ui/qt/drive_list_box.h"
#include "ui/qt/found_window.h"
#include "ui/qt/frame_style.h"
#include "ui/qt/program_fonts.h"
#include "ui/qt/widget_makers.h"
#include "ui/qt/window_geometry.h"

namespace dustvane {

namespace {

constexpr int kTickMilliseconds = 50;

}  // namespace

QtMainWindow::QtMainWindow(AppContext& context) : QWidget(nullptr) {
  SetUpWindow(*this, "frmMain", QStringLiteral("Dustvane"), FromTwips(0, 0, 5205, 3525).size(),
              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  CreateControls(context);
  MainWindowControls controls{*this,         *cmdSearch,    *optSearchAll, *optDrive,
                              *Drive1,       *ProgressBar1, *tmrAnimation, pointer_};
  form_ = std::make_unique<frmMain>(context, controls, [this, &context]() -> Result<std::unique_ptr<FoundWindow>> {
    auto window = std::make_unique<QtFoundWindow>(context);
    found_ = window.get();
    return std::unique_ptr<FoundWindow>(std::move(window));
  });
  Wire();
  CentreOnScreen(*this);
}

QtMainWindow::~QtMainWindow() = default;

QtFoundWindow& QtMainWindow::Found() {
  // Qt makes its windows or ends the program: this cannot fail.
  (void)form_->Found();
  return *found_;
}

void QtMainWindow::CreateControls(AppContext& context) {
  // Created in the order that stacks them as designed: the drive list lies
  // over the end of the "Drive:" option.
  lblTitle = MakeLabel(this, "lblTitle", QStringLiteral("DUSTVANE"), FromTwips(1080, 120, 3015, 975));
  lblTitle->setAlignment(Qt::AlignCenter);
  lblTitle->setFrameStyle(QFrame::Box | QFrame::Plain);
  lblTitle->setFont(TitleFont());

  frmeSearchDrives = new QGroupBox(QStringLiteral("Search Drives..."), this);
  frmeSearchDrives->setObjectName("frmeSearchDrives");
  frmeSearchDrives->setGeometry(FromTwips(360, 1440, 4335, 1095));
  StyleFrame(*frmeSearchDrives);
  optSearchAll = MakeOption(frmeSearchDrives, "optSearchAll", QStringLiteral("Local Hard Disk"),
                            FromTwips(120, 240, 1695, 255));
  optDrive = MakeOption(frmeSearchDrives, "optDrive", QStringLiteral("Drive:"), FromTwips(120, 480, 1095, 255));
  optFolder = MakeOption(frmeSearchDrives, "optFolder", QStringLiteral("Folder"), FromTwips(120, 720, 975, 195));
  Drive1 = new DriveListBox(frmeSearchDrives, context.drives, context.homeFolder);
  Drive1->setObjectName("Drive1");
  Drive1->setGeometry(FromTwips(1200, 480, 3015, 315));
  Drive1->setEnabled(false);
  Drive1->setAccessibleName(QString::fromUtf8(kDrive1Name));
  optSearchAll->setChecked(true);

  cmdSearch = MakeButton(this, "cmdSearch", QStringLiteral("&Search For Temporary Files"),
                         FromTwips(1320, 2640, 2415, 375));

  ProgressBar1 = new ActivityBar(this);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setGeometry(FromTwips(720, 3120, 3615, 255));
  ProgressBar1->SetVisible(false);
  ProgressBar1->setAccessibleName(QString::fromUtf8(kProgressBar1Name));

  cmdExit = MakeButton(this, "cmdExit", QStringLiteral("&Exit"), FromTwips(4560, 3240, 615, 255));

  setTabOrder(optSearchAll, optDrive);
  setTabOrder(optDrive, Drive1);
  setTabOrder(Drive1, cmdSearch);
  setTabOrder(cmdSearch, optFolder);
  setTabOrder(optFolder, cmdExit);
  optSearchAll->setFocus();

  tmrAnimation = new QtTimer(this);
  tmrAnimation->setObjectName("tmrAnimation");
  tmrAnimation->setInterval(kTickMilliseconds);
}

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
