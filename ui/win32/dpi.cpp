#include "ui/win32/dpi.h"

namespace dustvane {

namespace {

constexpr int kDialogFontPoints = 8;

template <class Function>
Function UserFunction(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

UINT ScreenDpi() {
  HDC screen = GetDC(nullptr);
  if (!screen) return USER_DEFAULT_SCREEN_DPI;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

int TwipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch); }

RECT ToPixels(const TwipsRect& twips, UINT dpi) {
  const int left = TwipsToPixels(twips.left, dpi);
  const int top = TwipsToPixels(twips.top, dpi);
  return RECT{left, top, left + TwipsToPixels(twips.width, dpi), top + TwipsToPixels(twips.height, dpi)};
}

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = UserFunction<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window)) return dpi;
  }
  return ScreenDpi();
}

SIZE OuterSizeForClient(HWND window, int clientWidth, int clientHeight, UINT dpi) {
  using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = UserFunction<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  RECT rect{0, 0, clientWidth, clientHeight};
  const BOOL adjusted =
      adjustForDpi ? adjustForDpi(&rect, style, FALSE, exStyle, dpi) : AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  if (!adjusted) return SIZE{clientWidth, clientHeight};
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

LOGFONTW DialogFont(UINT dpi) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(kDialogFontPoints, static_cast<int>(dpi), 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  wcscpy(font.lfFaceName, L"MS Shell Dlg 2");
  return font;
}

}  // namespace dustvane
