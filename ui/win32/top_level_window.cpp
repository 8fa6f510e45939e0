#include "ui/win32/top_level_window.h"

#include <algorithm>

#include "search/win32/wide_text.h"
#include "search/win32/win32_failure.h"
#include "ui/win32/control_classes.h"
#include "ui/win32/dpi.h"
#include "ui/win32/program_resources.h"
#include "ui/win32/screen_pointer.h"

namespace dustvane {

namespace {

void RegisterClassOnce(const wchar_t* className, WNDPROC procedure) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, className, &existing)) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className;
  RegisterClassExW(&windowClass);
}

bool IsSelectedOptionOrNoOption(HWND control) {
  const LRESULT code = SendMessageW(control, WM_GETDLGCODE, 0, 0);
  if (!(code & DLGC_RADIOBUTTON)) return true;
  return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool TakesFocus(HWND control) {
  return IsWindowEnabled(control) && IsWindowVisible(control) && IsSelectedOptionOrNoOption(control);
}

// Why CreateWindowExW just failed. It gives no reason when a hook refused
// the window; the reason it fails for in practice, a session out of window
// resources, is said then.
Failure CreationFailureNow() {
  const DWORD error = GetLastError();
  return Win32Failure(error != ERROR_SUCCESS ? error : ERROR_NO_SYSTEM_RESOURCES);
}

}  // namespace

Win32TopLevelWindow::~Win32TopLevelWindow() {
  Destroy();
  if (dialogFont_) DeleteObject(dialogFont_);
}

void Win32TopLevelWindow::Destroy() {
  accessibleNames_.Clear();
  if (!window_) return;
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
  window_ = nullptr;
}

Win32TopLevelWindow* Win32TopLevelWindow::FromHandle(HWND window) {
  if (!window || GetWindowLongPtrW(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&Procedure)) return nullptr;
  return reinterpret_cast<Win32TopLevelWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool Win32TopLevelWindow::MakeControls() {
  // The dialog's arrow keys move within a group: each control that takes the
  // focus begins one, unless the one before it is of its kind (the options,
  // and push buttons side by side).
  const ControlDescription* lastFocusTaker = nullptr;
  for (const ControlDescription& described : description_->controls) {
    const Win32ControlClass made = ClassOf(described);
    DWORD style = WS_CHILD | made.style | (described.visible ? WS_VISIBLE : 0) | (described.enabled ? 0 : WS_DISABLED);
    if (TakesTabFocus(described.kind)) {
      if (!lastFocusTaker || lastFocusTaker->kind != described.kind) style |= WS_GROUP;
      lastFocusTaker = &described;
    }
    HWND control = CreateWindowExW(made.exStyle, made.windowClass, WideFromUtf8(described.caption).c_str(), style, 0, 0,
                                   0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(described.commandId)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (!control) {
      creationFailure_ = CreationFailureNow();
      return false;
    }
    if (described.checked) SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
    named_.emplace_back(described.name, control);
    // Controls with a caption are spoken by it.
    if (!described.accessibleName.empty()) accessibleNames_.Give(control, std::string(described.accessibleName));
  }
  return true;
}

HBRUSH Win32TopLevelWindow::ColourEdit(HWND edit, HDC dc) const {
  for (const ControlDescription& described : description_->controls) {
    if (!described.textColour || Control(described.name) != edit) continue;
    const RgbColour& colour = *described.textColour;
    SetTextColor(dc, RGB(colour.red, colour.green, colour.blue));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return GetSysColorBrush(COLOR_WINDOW);
  }
  return nullptr;
}

HWND Win32TopLevelWindow::Control(std::string_view name) const {
  for (const auto& [controlName, control] : named_) {
    if (controlName == name) return control;
  }
  return nullptr;
}

std::vector<HWND> Win32TopLevelWindow::TabOrder() const {
  std::vector<HWND> order;
  for (const ControlDescription* control : description_->TabOrder()) order.push_back(Control(control->name));
  return order;
}

void Win32TopLevelWindow::Create(const wchar_t* className, const WindowDescription& description) {
  RegisterClassOnce(className, &Procedure);
  description_ = &description;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | (description.minimizable ? WS_MINIMIZEBOX : 0);
  window_ = CreateWindowExW(0, className, WideFromUtf8(description.caption).c_str(), style, 0, 0, 100, 100, nullptr,
                            nullptr, GetModuleHandleW(nullptr), this);
  if (!window_) {
    creationFailure_ = CreationFailureNow();
    return;
  }
  if (!MakeControls()) {
    // Half a window would be worse than none: its handlers would work on
    // controls that are not there.
    Destroy();
    return;
  }
  AttachControls();
  ApplyDpi(WindowDpi(window_));
}

void Win32TopLevelWindow::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  LOGFONTW font = DialogFont(dpi);
  HFONT replaced = dialogFont_;
  dialogFont_ = CreateFontIndirectW(&font);
  for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont_), FALSE);
  }
  if (replaced) DeleteObject(replaced);
  for (const ControlDescription& control : description_->controls) {
    const RECT r = ToPixels(description_->InClientArea(control), dpi);
    SetWindowPos(Control(control.name), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  OnDpiChanged(dpi);
  FitClientArea();
  InvalidateRect(window_, nullptr, TRUE);
}

void Win32TopLevelWindow::FitClientArea() {
  const TwipsRect& area = description_->clientArea;
  const SIZE outer = OuterSizeForClient(window_, TwipsToPixels(area.width, dpi_), TwipsToPixels(area.height, dpi_), dpi_);
  SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32TopLevelWindow::SetVisible(bool visible) {
  if (visible && !shownBefore_) {
    shownBefore_ = true;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT frame{};
    if (GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor) &&
        GetWindowRect(window_, &frame)) {
      const RECT& work = monitor.rcWork;
      const int width = frame.right - frame.left;
      const int height = frame.bottom - frame.top;
      SetWindowPos(window_, nullptr, work.left + (work.right - work.left - width) / 2,
                   work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (visible == Visible()) return;
  ShowWindow(window_, visible ? SW_SHOW : SW_HIDE);
}

void Win32TopLevelWindow::PaintNow() { RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

void Win32TopLevelWindow::MoveFocus(bool backwards) {
  std::vector<HWND> order = TabOrder();
  if (order.empty()) return;
  if (backwards) std::reverse(order.begin(), order.end());
  HWND focus = GetFocus();
  // The focus may sit in a part of a control (the edit of a combo box).
  while (focus && GetParent(focus) != window_ && GetParent(focus)) focus = GetParent(focus);
  const auto current = std::find(order.begin(), order.end(), focus);
  const size_t start = current == order.end() ? order.size() - 1 : static_cast<size_t>(current - order.begin());
  for (size_t step = 1; step <= order.size(); ++step) {
    HWND candidate = order[(start + step) % order.size()];
    if (!TakesFocus(candidate)) continue;
    SetFocus(candidate);
    if (SendMessageW(candidate, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(candidate, EM_SETSEL, 0, -1);
    return;
  }
}

LRESULT CALLBACK Win32TopLevelWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<Win32TopLevelWindow*>(create->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32TopLevelWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

LRESULT Win32TopLevelWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_APP && message <= 0xBFFF) {
    OnPosted(message);
    return 0;
  }
  switch (message) {
    case WM_COMMAND:
      // Enter and Esc reach a window with dialog keys as IDOK and IDCANCEL;
      // no button is the default or cancel button, so they press nothing.
      if (lParam != 0) OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_CTLCOLOREDIT:
      if (HBRUSH brush = ColourEdit(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam))) {
        return reinterpret_cast<LRESULT>(brush);
      }
      break;
    case WM_SETCURSOR:
      if (BusyPointerShown()) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      // A plain window forgets its focused control when it loses the
      // activation; give it back as a dialog would.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window_, focus)) lastFocus_ = focus;
      } else if (lastFocus_ && IsWindow(lastFocus_) && TakesFocus(lastFocus_)) {
        SetFocus(lastFocus_);
      } else {
        // First activation, or the control that had the focus can no longer
        // take it: the first in tab order that can.
        const std::vector<HWND> order = TabOrder();
        const auto first = std::find_if(order.begin(), order.end(), TakesFocus);
        if (first != order.end()) SetFocus(*first);
      }
      return 0;
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      ApplyDpi(HIWORD(wParam));
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace dustvane
