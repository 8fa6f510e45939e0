#pragma once

#include <windows.h>

namespace dustvane::win32 {

// The windows are laid out in twips (1/1440 inch): 15 twips make one pixel
// at 96 dots per inch.
constexpr int kTwipsPerInch = 1440;

int TwipsToPixels(int twips, UINT dpi);

// The dots per inch the window is drawn at. The per-monitor functions are
// looked up at run time, so the program still starts on a Windows that lacks
// them and falls back to the screen's one DPI there.
UINT WindowDpi(HWND window);

// The outer size of a window whose client area is `clientWidth` x
// `clientHeight` pixels, with the window's own styles, at `dpi`.
SIZE OuterSizeForClient(HWND window, int clientWidth, int clientHeight, UINT dpi);

// The desktop's message font (what dialogs use) at `dpi`.
LOGFONTW MessageFont(UINT dpi);

}  // namespace dustvane::win32
