#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "search/find_files.h"
#include "search/path_string.h"
#include "ui/controls.h"
#include "ui/drive_choice.h"

namespace dustvane {

// The controls the handlers work with, each over the Windows control that
// shows it. A window makes its Windows controls, then attaches each of these
// to its own; before that they stand for nothing. Texts are UTF-8 on the
// program's side and UTF-16 on the window's.

// What every one of them is: the Windows control it stands for.
class Win32Control {
 public:
  HWND Handle() const { return handle_; }
  void Attach(HWND control) { handle_ = control; }

 protected:
  HWND handle_ = nullptr;
};

class Win32Button : public ButtonControl, public Win32Control {
 public:
  void SetCaption(const std::string& caption) override;
  void SetEnabled(bool enabled) override;
};

class Win32Option : public OptionControl, public Win32Control {
 public:
  bool Value() const override;
};

// A 0 to 100 progress bar. The position is kept as the float it was set to,
// so stepping it by 2 and comparing it with 100 works on exactly the values
// the timer computed; the bar shows its whole part.
class Win32ActivityBar : public ActivityBarControl, public Win32Control {
 public:
  // Gives the bar its range and puts it at 0.
  void Attach(HWND bar);
  void SetVisible(bool visible) override;
  float Value() const override { return position_; }
  void SetValue(float position) override;

 private:
  float position_ = 0.0f;
};

class Win32TextBox : public TextControl, public Win32Control {
 public:
  void SetText(const std::string& text) override;
};

// Posted to the drive list's window when a drive's volume has answered.
constexpr UINT kDriveAnswersMessage = WM_APP + 1;

// Drive1 on Windows: a drop-down list of drive roots, each shown by its
// letter until its volume has told its label, share or kind, as DriveChoice
// fills it and changes it; the window hands the answers over on
// kDriveAnswersMessage. `Drive` is the chosen root exactly as the file
// system knows it.
class Win32DriveList : public DriveListControl, public Win32Control, private DriveLines {
 public:
  Win32DriveList() = default;
  ~Win32DriveList() override;
  Win32DriveList(const Win32DriveList&) = delete;
  Win32DriveList& operator=(const Win32DriveList&) = delete;

  // Fills the list, chooses the drive that holds `homeFolder`, and asks the
  // drives' volumes.
  void Attach(HWND combo, std::vector<PathString> drives, const PathString& homeFolder);
  PathString Drive() const override;
  void SetEnabled(bool enabled) override;
  // Shows what the volumes have told since the last call.
  void TakeAnswers();

 private:
  void AddLine(const std::string& text) override;
  void SetLineText(size_t line, const std::string& text) override;
  void RemoveLine(size_t line) override;
  std::optional<size_t> ChosenLine() const override;
  void Choose(std::optional<size_t> line) override;

  std::unique_ptr<DriveChoice> choice_;
};

// The results list. Each line keeps the exact path it was added with beside
// the text shown (DisplayPath), and the selected line's path is that stored
// one: two names may look alike on screen, and a name need not be valid
// UTF-16.
//
// Clearing it starts a fill: from then until ShowLines the list is not drawn,
// so that a search lists tens of thousands of lines in little more than the
// time of its walk.
class Win32ResultsList : public ResultsListControl, public Win32Control {
 public:
  Win32ResultsList() = default;
  ~Win32ResultsList() override;
  Win32ResultsList(const Win32ResultsList&) = delete;
  Win32ResultsList& operator=(const Win32ResultsList&) = delete;

  void Clear() override;
  MaybeFailure AddItem(const PathString& line) override;
  PathString SelectedPath() const override;
  // Draws the lines added since Clear, with a sideways scroll bar as wide
  // as the widest of them.
  void ShowLines();

 private:
  void MeasureInFont(HFONT font);

  std::vector<PathString> paths_;
  HDC measuring_ = nullptr;
  int widest_ = 0;
  bool held_ = false;
};

// The timer of a window, ticking into its OnTimer.
class Win32Timer : public TimerControl {
 public:
  Win32Timer(UINT_PTR id, UINT milliseconds) : id_(id), milliseconds_(milliseconds) {}
  ~Win32Timer() override { SetEnabled(false); }
  Win32Timer(const Win32Timer&) = delete;
  Win32Timer& operator=(const Win32Timer&) = delete;
  // The window whose OnTimer it ticks into; it starts stopped.
  void Attach(HWND window) { window_ = window; }
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override;

 private:
  HWND window_ = nullptr;
  UINT_PTR id_;
  UINT milliseconds_;
  bool enabled_ = false;
};

// The hourglass while busy, kept over the program's windows through
// WM_SETCURSOR (see screen_pointer.h).
class Win32ScreenPointer : public ScreenPointer {
 public:
  void Show(PointerShape shape) override;
};

// A modal message with one OK button and no icon. Every window of the
// program is disabled while it is open.
class Win32MessageDialog : public MessageDialog {
 public:
  MaybeFailure Show(const std::string& text, const std::string& title) override;
};

}  // namespace dustvane
