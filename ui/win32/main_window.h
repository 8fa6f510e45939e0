#pragma once

#include <memory>

#include "ui/app_context.h"
#include "ui/frmMain.h"
#include "ui/win32/top_level_window.h"
#include "ui/win32/win32_controls.h"

namespace dustvane::win32 {

class Win32FoundWindow;

// The main window on the Windows API: the title, the search scope in a group
// box, the search and exit buttons, the activity bar and the 50 ms timer,
// with the handlers (frmMain) they call. Closing it from its frame does what
// Exit does. The results window is made the first time the handlers touch it.
class Win32MainWindow final : public TopLevelWindow {
 public:
  explicit Win32MainWindow(AppContext& context);
  ~Win32MainWindow() override;

  // The results window, made (hidden) if it was not yet; null when it cannot be made.
  Win32FoundWindow* Found();

 protected:
  void CreateControls() override;
  std::vector<HWND> TabOrder() const override;
  void OnCommand(int id, int code) override;
  void OnTimer(UINT_PTR id) override;
  void OnPosted(UINT message) override;
  void OnClose() override;
  void OnDpiChanged(UINT dpi) override;

 private:
  AppContext& context_;
  HFONT titleFont_ = nullptr;
  Win32FoundWindow* found_ = nullptr;  // owned by form_

  HWND lblTitle = nullptr;
  HWND frmeSearchDrives = nullptr;
  Win32Option optSearchAll;
  Win32Option optDrive;
  Win32Option optFolder;
  Win32DriveList Drive1;
  Win32Button cmdSearch;
  Win32ActivityBar ProgressBar1;
  Win32Button cmdExit;
  Win32Timer tmrAnimation;
  Win32ScreenPointer pointer_;
  std::unique_ptr<frmMain> form_;
};

}  // namespace dustvane::win32
