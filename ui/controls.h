#pragma once

// The controls that the two windows' handlers work on, as each toolkit
// offers them. The handlers (frmMain, frmFound) are written once over these
// interfaces; each toolkit implements them over its own widgets and lays the
// windows out. Texts are UTF-8; paths are the engine's PathString, exactly as
// the file system gave them.

#include <functional>
#include <string>

#include "search/find_files.h"
#include "search/path_string.h"

namespace dustvane {

// A push button. A caption may mark its access key with "&".
class ButtonControl {
 public:
  virtual ~ButtonControl() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

// One option of a group: whether it is the one selected.
class OptionControl {
 public:
  virtual ~OptionControl() = default;
  virtual bool Value() const = 0;
};

// Drive1: the chosen drive's root folder, exactly as the file system knows it.
class DriveListControl {
 public:
  virtual ~DriveListControl() = default;
  virtual PathString Drive() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

// The activity bar, 0 to 100. The position is kept as the float it was set
// to, so stepping it by 2 and comparing it with 100 works on exactly the
// values the timer computed.
class ActivityBarControl {
 public:
  virtual ~ActivityBarControl() = default;
  virtual float Value() const = 0;
  virtual void SetValue(float position) = 0;
  virtual void SetVisible(bool visible) = 0;
};

// List1: the search appends lines to it (ResultsList::AddItem), the search
// command clears it, and the delete command reads the selected line.
class ResultsListControl : public ResultsList {
 public:
  // The exact path on the selected line, never its displayed text; empty
  // with no line selected.
  virtual PathString SelectedPath() const = 0;
  virtual void Clear() = 0;
};

// A box or display showing one line of text (the count, the size summary).
class TextControl {
 public:
  virtual ~TextControl() = default;
  virtual void SetText(const std::string& text) = 0;
};

// The timer that drives the activity bar. A walk handles no events, except
// inside a modal error message; the search command stops the timer for the
// walk so that no tick in that message can end the busy state.
class TimerControl {
 public:
  virtual ~TimerControl() = default;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

// A top-level window. A walk handles no events, so what a handler changed
// before it is painted with PaintNow or not at all.
class WindowControl {
 public:
  virtual ~WindowControl() = default;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void PaintNow() = 0;
};

// The screen-wide mouse pointer.
enum class PointerShape { Default, Hourglass };

class ScreenPointer {
 public:
  virtual ~ScreenPointer() = default;
  virtual void Show(PointerShape shape) = 0;
};

// The message box is the engine's MessageDialog (search/find_files.h).

// The controls of the main window that its handlers use.
struct MainWindowControls {
  WindowControl& window;
  ButtonControl& cmdSearch;
  OptionControl& optSearchAll;
  OptionControl& optDrive;
  DriveListControl& Drive1;
  ActivityBarControl& ProgressBar1;
  TimerControl& tmrAnimation;
  ScreenPointer& pointer;
};

// The controls of the results window that its handlers use.
struct FoundWindowControls {
  WindowControl& window;
  ResultsListControl& List1;
  TextControl& Text3;
  TextControl& txtSizeSummary;
};

class frmFound;

// Makes the results window, hidden, in the toolkit's widgets, and gives its
// handlers; or says why the system could not (a session out of window
// resources). The toolkit's main window owns what it makes; its frmMain has
// it made the first time anything touches the results window.
using FoundWindowFactory = std::function<Result<frmFound*>()>;

}  // namespace dustvane
