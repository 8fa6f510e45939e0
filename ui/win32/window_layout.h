#pragma once

#include <windows.h>

#include <vector>

namespace dustvane::win32 {

// A control's place in its window's client area, in twips.
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

RECT ToPixels(const TwipsRect& twips, UINT dpi);

// The controls of one window and where the layout puts them. Applied again
// whenever the window moves to a screen of another DPI.
class WindowLayout {
 public:
  void Place(HWND control, TwipsRect where) { placed_.push_back({control, where}); }
  void Apply(UINT dpi) const;

 private:
  struct Placed {
    HWND control;
    TwipsRect where;
  };
  std::vector<Placed> placed_;
};

}  // namespace dustvane::win32
