#pragma once

#include <windows.h>

#include "ui/window_description.h"

namespace dustvane {

int TwipsToPixels(int twips, UINT dpi);
// The pixels a place in twips takes at `dpi`.
RECT ToPixels(const TwipsRect& twips, UINT dpi);

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

}  // namespace dustvane
