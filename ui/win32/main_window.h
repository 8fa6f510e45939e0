#pragma once

#include <memory>

#include "ui/app_context.h"
#include "ui/frmMain.h"
#include "ui/win32/found_window.h"
#include "ui/win32/top_level_window.h"
#include "ui/win32/win32_controls.h"

namespace dustvane {

// The main window on the Windows API, built from its description: the title,
// the search scope in a group box, the search and exit buttons, the activity
// bar and its timer, wired to the window's handlers (frmMain). Closing it
// from its frame does what Exit does. It owns the results window, which the
// handlers have made the first time they touch it.
class Win32MainWindow final : public Win32TopLevelWindow {
 public:
  explicit Win32MainWindow(AppContext& context);
  ~Win32MainWindow() override;

  // The results window, made (hidden) if it was not yet; null when it
  // cannot be made.
  Win32FoundWindow* Found();

 protected:
  void AttachControls() override;
  void OnCommand(int id, int code) override;
  void OnTimer(UINT_PTR id) override;
  void OnPosted(UINT message) override;
  void OnClose() override;
  void OnDpiChanged(UINT dpi) override;

 private:
  AppContext& context_;
  HFONT titleFont_ = nullptr;
  Win32Option optSearchAll;
  Win32Option optDrive;
  Win32DriveList Drive1;
  Win32Button cmdSearch;
  Win32ActivityBar ProgressBar1;
  Win32Button cmdExit;
  Win32Timer tmrAnimation;
  Win32ScreenPointer pointer_;
  std::unique_ptr<Win32FoundWindow> found_;
  std::unique_ptr<frmMain> form_;
};

}  // namespace dustvane
