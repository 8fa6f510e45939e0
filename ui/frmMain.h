#pragma once

#include <memory>

#include "ui/app_context.h"
#include "ui/controls.h"
#include "ui/frmFound.h"

namespace dustvane {

// The main window's handlers: the search scope, the search and exit commands,
// and the timer that drives the activity bar. It also owns the one results
// window, which comes into being, hidden, the first time anything touches it;
// `makeFound` builds it in the toolkit's widgets.
class frmMain {
 public:
  frmMain(AppContext& context, MainWindowControls controls, FoundWindowFactory makeFound);
  ~frmMain();
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  frmFound& Found();

  void cmdSearch_Click();
  void tmrAnimation_Timer();
  void optSearchAll_Click();
  void optDrive_Click();
  void cmdExit_Click();

 private:
  void SearchScope(PathString root, bool withSizeSummary);

  AppContext& context_;
  MainWindowControls controls_;
  FoundWindowFactory makeFound_;
  std::unique_ptr<FoundWindow> found_;
};

}  // namespace dustvane
