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

// The font the layout was made for, at `dpi`: the 8-point dialog face that
// Windows maps "MS Shell Dlg 2" to, whose character cell the controls' sizes
// allow for. Not the desktop's message font, which Windows 10 and 11 set to
// a 9-point face that would no longer fit the captions.
LOGFONTW DialogFont(UINT dpi);

}  // namespace dustvane::win32
