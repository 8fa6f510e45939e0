#pragma once

namespace dustvane {

// The screen-wide pointer: the hourglass while the program is busy, the
// arrow otherwise. The program's windows keep the hourglass over themselves
// until it is taken back (see WM_SETCURSOR in top_level_window.cpp).
void ShowBusyPointer(bool busy);
bool BusyPointerShown();

}  // namespace dustvane
