#include "ui/win32/message_loop.h"

#include <windows.h>

#include "ui/win32/top_level_window.h"

namespace dustvane {

int RunMessageLoop() {
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) return 1;
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    Win32TopLevelWindow* window = Win32TopLevelWindow::FromHandle(root);
    if (window && message.message == WM_KEYDOWN && message.wParam == VK_TAB && !(GetKeyState(VK_CONTROL) & 0x8000) &&
        !(GetKeyState(VK_MENU) & 0x8000)) {
      window->MoveFocus((GetKeyState(VK_SHIFT) & 0x8000) != 0);
      continue;
    }
    // IsDialogMessage would also take the WM_CHAR of the Tab just handled.
    if (window && message.message == WM_CHAR && message.wParam == L'\t') continue;
    if (window && IsDialogMessageW(root, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace dustvane
