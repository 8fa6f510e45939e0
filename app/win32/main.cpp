// Dustvane for Windows: finds temporary files ("*.tmp") and deletes them one
// at a time.

#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <memory>

#include "search/file_system.h"
#include "ui/app_context.h"
#include "ui/drive_list.h"
#include "ui/win32/main_window.h"
#include "ui/win32/message_loop.h"
#include "ui/windows/profile_folder.h"
#include "ui/windows/user_locale.h"
#include "ui/win32/win32_controls.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  if (!InitCommonControlsEx(&controls)) return 1;

  std::unique_ptr<dustvane::FileSystem> fileSystem = dustvane::MakeNativeFileSystem();
  dustvane::Win32MessageDialog messages;
  dustvane::AppContext context{*fileSystem,
                               messages,
                               dustvane::LocalDiskRoot(),
                               dustvane::ListDrives(),
                               dustvane::ProfileFolder(),
                               [] { PostQuitMessage(0); },
                               dustvane::UserThousandsSeparator()};

  dustvane::Win32MainWindow window(context);
  if (!window.Handle()) return 1;
  window.SetVisible(true);
  return dustvane::RunMessageLoop();
}
