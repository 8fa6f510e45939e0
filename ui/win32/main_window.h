#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "ui/win32/top_level_window.h"
#include "ui/win32/win32_controls.h"

namespace dustvane::win32 {

// What the main window's controls call when the user acts on them.
struct MainWindowHandlers {
  std::function<void()> cmdSearch_Click;
  std::function<void()> tmrAnimation_Timer;
  std::function<void()> optSearchAll_Click;
  std::function<void()> optDrive_Click;
  std::function<void()> cmdExit_Click;
};

// The main window on the Windows API: the title, the search scope in a
// group box, the search and exit buttons, the activity bar and the 50 ms
// timer. Closing it from its frame does what Exit does.
class MainWindow : public TopLevelWindow {
 public:
  MainWindow(std::vector<PathString> drives, const PathString& startFolder);
  ~MainWindow() override;

  // What the handlers work on.
  MainWindowControls Controls();

  // Connects the controls to what they do, and starts the timer.
  void Connect(MainWindowHandlers handlers);

 protected:
  void CreateControls() override;
  std::vector<HWND> TabOrder() const override;
  void OnCommand(int id, int code) override;
  void OnTimer(UINT_PTR id) override;
  void OnClose() override;
  void OnDpiChanged(UINT dpi) override;

 private:
  // Until the drive list is made, which then keeps them.
  std::vector<PathString> drives_;
  PathString startFolder_;
  MainWindowHandlers handlers_;
  HFONT titleFont_ = nullptr;

  HWND lblTitle = nullptr;
  HWND frmeSearchDrives = nullptr;
  HWND optSearchAllWindow = nullptr;
  HWND optDriveWindow = nullptr;
  HWND optFolderWindow = nullptr;
  HWND Drive1Window = nullptr;
  HWND cmdSearchWindow = nullptr;
  HWND ProgressBar1Window = nullptr;
  HWND cmdExitWindow = nullptr;

  std::unique_ptr<Win32Button> cmdSearch_;
  std::unique_ptr<Win32Option> optSearchAll_;
  std::unique_ptr<Win32Option> optDrive_;
  std::unique_ptr<Win32DriveList> Drive1_;
  std::unique_ptr<Win32ActivityBar> ProgressBar1_;
  std::unique_ptr<Win32Timer> tmrAnimation_;
  Win32ScreenPointer pointer_;
};

}  // namespace dustvane::win32
