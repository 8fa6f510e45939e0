// Dustvane for Windows: finds temporary files ("*.tmp") and deletes them one
// at a time.

#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <utility>

#include "ui/drive_list.h"
#include "ui/win32/drive_text.h"
#include "ui/win32/found_window.h"
#include "ui/win32/main_window.h"
#include "ui/win32/message_loop.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  if (!InitCommonControlsEx(&controls)) return 1;

  dustvane::win32::MainWindow mainWindow(dustvane::ListDrives(), dustvane::win32::ProfileFolder());
  if (!mainWindow.Handle()) return 1;
  dustvane::win32::FoundWindow found;
  dustvane::win32::MainWindowHandlers handlers;
  handlers.cmdExit_Click = [] { PostQuitMessage(0); };
  mainWindow.Connect(std::move(handlers));
  mainWindow.SetVisible(true);
  return dustvane::win32::RunMessageLoop();
}
