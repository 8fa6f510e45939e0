#include "ui/frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <new>

#include "ui/activity_bar.h"
#include "ui/qt/widget_makers.h"
#include "ui/drive_list_box.h"
#include "ui/program_fonts.h"
#include "ui/report_failure.h"
#include "ui/search_texts.h"
#include "ui/window_geometry.h"

namespace dustvane {

namespace {

const QString kIdleCaption = QStringLiteral("Search For Temporary Files");
const PathString kSearchPattern = DV_PATH("*.tmp");
constexpr int kTickMilliseconds = 50;
constexpr float kBarStep = 2.0f;
constexpr float kBarWrap = 100.0f;

// Keeps the timer from ticking while a walk runs. The walk handles no events,
// except inside a modal error message; a tick there could end the busy state
// and let the search button be pressed in the middle of the search.
class TimerHold {
 public:
  explicit TimerHold(QTimer& timer) : timer_(timer), wasActive_(timer.isActive()) { timer_.stop(); }
  ~TimerHold() {
    if (wasActive_) timer_.start();
  }
  TimerHold(const TimerHold&) = delete;
  TimerHold& operator=(const TimerHold&) = delete;

 private:
  QTimer& timer_;
  bool wasActive_;
};

// The hourglass pointer for as long as the walk runs.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { Restore(); }
  void Restore() {
    if (active_) QApplication::restoreOverrideCursor();
    active_ = false;
  }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  bool active_ = true;
};

}  // namespace

frmMain::frmMain(AppContext& context) : QWidget(nullptr), context_(context) {
  SetUpWindow(*this, "frmMain", QStringLiteral("Dustvane"), FromTwips(0, 0, 5205, 3525).size(),
              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  CreateControls();
  CentreOnScreen(*this);
}

frmMain::~frmMain() = default;

void frmMain::CreateControls() {
  // Created in the order that stacks them as designed: the drive list lies
  // over the end of the "Drive:" option.
  lblTitle = MakeLabel(this, "lblTitle", QStringLiteral("DUSTVANE"), FromTwips(1080, 120, 3015, 975));
  lblTitle->setAlignment(Qt::AlignCenter);
  lblTitle->setFrameStyle(QFrame::Box | QFrame::Plain);
  lblTitle->setFont(TitleFont());

  frmeSearchDrives = new QGroupBox(QStringLiteral("Search Drives..."), this);
  frmeSearchDrives->setObjectName("frmeSearchDrives");
  frmeSearchDrives->setGeometry(FromTwips(360, 1440, 4335, 1095));
  optSearchAll = MakeOption(frmeSearchDrives, "optSearchAll", QStringLiteral("Local Hard Disk"),
                            FromTwips(120, 240, 1695, 255));
  optDrive = MakeOption(frmeSearchDrives, "optDrive", QStringLiteral("Drive:"), FromTwips(120, 480, 1095, 255));
  optFolder = MakeOption(frmeSearchDrives, "optFolder", QStringLiteral("Folder"), FromTwips(120, 720, 975, 195));
  Drive1 = new DriveListBox(frmeSearchDrives, context_.drives, context_.homeFolder);
  Drive1->setObjectName("Drive1");
  Drive1->setGeometry(FromTwips(1200, 480, 3015, 315));
  Drive1->setEnabled(false);
  Drive1->setAccessibleName(QStringLiteral("Drive"));
  optSearchAll->setChecked(true);

  cmdSearch = MakeButton(this, "cmdSearch", QStringLiteral("&") + kIdleCaption, FromTwips(1320, 2640, 2415, 375));

  ProgressBar1 = new ActivityBar(this);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setGeometry(FromTwips(720, 3120, 3615, 255));
  ProgressBar1->SetVisible(false);
  ProgressBar1->setAccessibleName(QStringLiteral("Search activity"));

  cmdExit = MakeButton(this, "cmdExit", QStringLiteral("&Exit"), FromTwips(4560, 3240, 615, 255));

  setTabOrder(optSearchAll, optDrive);
  setTabOrder(optDrive, Drive1);
  setTabOrder(Drive1, cmdSearch);
  setTabOrder(cmdSearch, optFolder);
  setTabOrder(optFolder, cmdExit);
  optSearchAll->setFocus();

  tmrAnimation = new QTimer(this);
  tmrAnimation->setObjectName("tmrAnimation");
  tmrAnimation->setInterval(kTickMilliseconds);

  connect(cmdSearch, &QPushButton::clicked, this, &frmMain::cmdSearch_Click);
  connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
  connect(optSearchAll, &QRadioButton::toggled, this, [this](bool on) {
    if (on) optSearchAll_Click();
  });
  connect(optDrive, &QRadioButton::toggled, this, [this](bool on) {
    if (on) optDrive_Click();
  });
  connect(tmrAnimation, &QTimer::timeout, this, &frmMain::tmrAnimation_Timer);
  tmrAnimation->start();
}

frmFound& frmMain::Found() {
  if (!found_) found_ = std::make_unique<frmFound>(context_);
  return *found_;
}

void frmMain::optSearchAll_Click() { Drive1->setEnabled(false); }

void frmMain::optDrive_Click() { Drive1->setEnabled(true); }

void frmMain::cmdExit_Click() {
  tmrAnimation->stop();
  if (found_) found_->hide();
  hide();
  if (context_.endProgram) context_.endProgram();
}

void frmMain::closeEvent(QCloseEvent* event) {
  // The frame's close control ends the program as Exit does.
  event->accept();
  cmdExit_Click();
}

void frmMain::cmdSearch_Click() {
  ProgressBar1->SetVisible(true);
  cmdSearch->setText(QStringLiteral("...Searching..."));
  cmdSearch->setEnabled(false);
  if (optSearchAll->isChecked()) {
    SearchScope(context_.localDiskRoot, true);
  } else if (optDrive->isChecked()) {
    SearchScope(Drive1->Drive(), false);
  }
  // Every click ends here, so the next tick always ends the busy state.
  Found().SetVisible(true);
}

void frmMain::SearchScope(PathString root, bool withSizeSummary) {
  TimerHold noTicks(*tmrAnimation);
  WaitCursor hourglass;
  frmFound& found = Found();
  found.Lines().Clear();

  // The walk handles no events, so the busy state is painted now or never.
  cmdSearch->repaint();
  ProgressBar1->repaint();

  int16_t fileCount = 0;
  int16_t dirCount = 0;
  SearchContext search{context_.fileSystem, found.Lines(), context_.messages};
  Result<int64_t> total = [&]() -> Result<int64_t> {
    try {
      return FindFiles(search, root, kSearchPattern, fileCount, dirCount);
    } catch (const std::bad_alloc&) {
      return OutOfMemoryFailure();
    }
  }();
  context_.fileSystem.CloseFolders();

  found.SetCountText(CountText(fileCount));
  if (withSizeSummary) {
    // Without a total there is nothing true to say about the size.
    found.SetSizeSummary(total.ok() ? SizeSummary(root, total.value()) : QString());
  }
  hourglass.Restore();
  // A failure the search could not deal with itself is reported here and
  // ends only this search; what it found so far stays listed.
  if (!total.ok()) ReportFailure(context_.messages, total.failure(), kUnexpectedErrorTitle);
}

void frmMain::tmrAnimation_Timer() {
  if (Found().Visible()) {
    cmdSearch->setEnabled(true);
    cmdSearch->setText(kIdleCaption);
    ProgressBar1->SetVisible(false);
  }
  if (ProgressBar1->Value() == kBarWrap) {
    ProgressBar1->SetValue(0.0f);
  } else {
    ProgressBar1->SetValue(ProgressBar1->Value() + kBarStep);
  }
}

}  // namespace dustvane
