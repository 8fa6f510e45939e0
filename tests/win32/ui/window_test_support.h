#pragma once

#include <windows.h>

#include <string>

namespace dustvane::testing {

// Common controls are registered once per test process.
void InitControls();

// A control's rectangle in its window's client coordinates, in pixels.
RECT ClientRect(HWND control);
// The pixels the layout gives a rectangle in twips at `dpi`.
RECT FromTwips(int left, int top, int width, int height, UINT dpi);

std::wstring Text(HWND window);

// Hands a key to the window's dialog keyboard handling, as the message loop
// does: true when it was taken there.
bool DialogKey(HWND root, HWND focus, UINT message, WPARAM key);

}  // namespace dustvane::testing
