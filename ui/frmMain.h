#pragma once

#include "ui/app_context.h"
#include "ui/controls.h"
#include "ui/frmFound.h"

namespace dustvane {

// The main window's handlers: the search scope, the search and exit commands,
// and the timer that drives the activity bar. The one results window comes
// into being, hidden, the first time anything touches it: `makeFound` builds
// it in the toolkit's widgets. A toolkit's main window owns its frmMain and
// the results window, and calls these handlers from its own events.
class frmMain {
 public:
  frmMain(AppContext& context, MainWindowControls controls, FoundWindowFactory makeFound);
  ~frmMain();
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  // The results window's handlers, the window made (hidden) if it was not
  // yet; the failure when the system cannot make it. Asked again, it tries
  // again.
  Result<frmFound*> Found();

  void cmdSearch_Click();
  void tmrAnimation_Timer();
  void optSearchAll_Click();
  void optDrive_Click();
  void cmdExit_Click();

 private:
  void SearchScope(frmFound& found, PathString root, bool withSizeSummary);
  void ShowIdle();

  AppContext& context_;
  MainWindowControls controls_;
  FoundWindowFactory makeFound_;
  frmFound* found_ = nullptr;
};

}  // namespace dustvane
