#pragma once

namespace dustvane {

// Runs the program's messages until the program ends, with the keyboard of a
// dialog in both windows: Tab and Shift+Tab by tab order, the arrow keys
// within the option group, Alt and a letter for a button's access key.
// Returns the exit code the program ended with.
int RunMessageLoop();

}  // namespace dustvane
