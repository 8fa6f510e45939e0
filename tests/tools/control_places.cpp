// control-places [WINDOW CONTROL]: where the windows' descriptions put each
// control, for the scripts that drive the Linux program with X input:
//   <window> <control> <x> <y> <w> <h> <id>
// with x, y, w and h in pixels of the window's client area at 96 dots per
// inch, and the command number the Windows program gives the control. Given
// a window's and a control's name ("frmMain optDrive"), it prints that
// control's "<x> <y> <w> <h>" alone, and fails when there is none.

#include <cstdio>
#include <string_view>

#include "ui/found_window_description.h"
#include "ui/main_window_description.h"

namespace {

using dustvane::ControlDescription;
using dustvane::TwipsRect;
using dustvane::WindowDescription;

void PrintPlace(const TwipsRect& place) {
  const dustvane::PixelRect pixels = dustvane::At96Dpi(place);
  std::printf("%d %d %d %d", pixels.left, pixels.top, pixels.width, pixels.height);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 1 && argc != 3) {
    std::fprintf(stderr, "usage: control-places [WINDOW CONTROL]\n");
    return 2;
  }
  for (const WindowDescription* window : {&dustvane::kMainWindowDescription, &dustvane::kFoundWindowDescription}) {
    for (const ControlDescription& control : window->controls) {
      const TwipsRect place = window->InClientArea(control);
      if (argc == 3) {
        if (window->name != argv[1] || control.name != argv[2]) continue;
        PrintPlace(place);
        std::printf("\n");
        return 0;
      }
      std::printf("%.*s %.*s ", static_cast<int>(window->name.size()), window->name.data(),
                  static_cast<int>(control.name.size()), control.name.data());
      PrintPlace(place);
      std::printf(" %d\n", control.commandId);
    }
  }
  if (argc == 3) {
    std::fprintf(stderr, "control-places: no control %s in %s\n", argv[2], argv[1]);
    return 1;
  }
  return 0;
}
