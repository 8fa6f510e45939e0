#pragma once

#include <QWidget>
#include <memory>

#include "ui/app_context.h"
#include "ui/frmFound.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;

namespace dustvane {

class ActivityBar;
class DriveListBox;

// The main window: the search scope, the search and exit commands, and the
// activity bar with the timer that drives it. It also owns the one results
// window, which comes into being, hidden, the first time anything touches it.
class frmMain : public QWidget {
 public:
  explicit frmMain(AppContext& context);
  ~frmMain() override;

  frmFound& Found();

  void cmdSearch_Click();
  void tmrAnimation_Timer();
  void optSearchAll_Click();
  void optDrive_Click();
  void cmdExit_Click();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void SearchScope(PathString root, bool withSizeSummary);

  AppContext& context_;
  std::unique_ptr<frmFound> found_;

  QPushButton* cmdExit = nullptr;
  QPushButton* cmdSearch = nullptr;
  QGroupBox* frmeSearchDrives = nullptr;
  QRadioButton* optFolder = nullptr;
  DriveListBox* Drive1 = nullptr;
  QRadioButton* optDrive = nullptr;
  QRadioButton* optSearchAll = nullptr;
  QTimer* tmrAnimation = nullptr;
  ActivityBar* ProgressBar1 = nullptr;
  QLabel* lblTitle = nullptr;
};

}  // namespace dustvane
