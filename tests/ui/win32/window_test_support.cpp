#include "tests/ui/win32/window_test_support.h"

#include <commctrl.h>

namespace dustvane::testing {

void InitControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)done;
}

WindowsContext::WindowsContext()
    : context{fileSystem, messages, P("/r"), {L"C:\\"}, L"C:\\users", [this] { ++programEnded; }, ","} {
  fileSystem.AddFolder(P("/r"));
}

RECT ClientRect(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetAncestor(control, GA_PARENT), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::wstring Text(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

bool DialogKey(HWND root, HWND focus, UINT message, WPARAM key) {
  MSG msg{focus, message, key, 0, 0, {}};
  return IsDialogMessageW(root, &msg) != FALSE;
}

}  // namespace dustvane::testing
