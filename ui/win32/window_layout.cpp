#include "ui/win32/window_layout.h"

#include "ui/win32/dpi.h"

namespace dustvane::win32 {

RECT ToPixels(const TwipsRect& twips, UINT dpi) {
  const int left = TwipsToPixels(twips.left, dpi);
  const int top = TwipsToPixels(twips.top, dpi);
  return RECT{left, top, left + TwipsToPixels(twips.width, dpi), top + TwipsToPixels(twips.height, dpi)};
}

void WindowLayout::Apply(UINT dpi) const {
  for (const Placed& placed : placed_) {
    const RECT r = ToPixels(placed.where, dpi);
    SetWindowPos(placed.control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace dustvane::win32
