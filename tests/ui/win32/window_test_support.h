#pragma once

#include <windows.h>

#include <string>

#include "tests/support/fake_file_system.h"
#include "ui/app_context.h"

namespace dustvane::testing {

// Common controls are registered once per test process.
void InitControls();

// What the program's windows are given, with a scripted file system in place
// of the disk (its local disk is "\r") and a message box that records.
struct WindowsContext {
  WindowsContext();
  FakeFileSystem fileSystem;
  RecordingMessages messages;
  int programEnded = 0;
  AppContext context;
};

// A control's rectangle in its window's client coordinates, in pixels.
RECT ClientRect(HWND control);

std::wstring Text(HWND window);

// Hands a key to the window's dialog keyboard handling, as the message loop
// does: true when it was taken there.
bool DialogKey(HWND root, HWND focus, UINT message, WPARAM key);

}  // namespace dustvane::testing
