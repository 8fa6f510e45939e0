#include "ui/win32/screen_pointer.h"

#include <windows.h>

namespace dustvane {

namespace {
bool busy = false;
}  // namespace

void ShowBusyPointer(bool show) {
  busy = show;
  SetCursor(LoadCursorW(nullptr, show ? IDC_WAIT : IDC_ARROW));
}

bool BusyPointerShown() { return busy; }

}  // namespace dustvane
