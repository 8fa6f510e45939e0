#pragma once

#include <windows.h>

#include "ui/window_description.h"

namespace dustvane {

// The Windows control that shows a control of the description: its window
// class and styles (WS_CHILD and WS_VISIBLE aside).
struct Win32ControlClass {
  const wchar_t* windowClass;
  DWORD style;
  DWORD exStyle;
};

Win32ControlClass ClassOf(const ControlDescription& control);

}  // namespace dustvane
