#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "search/find_files.h"
#include "search/path_string.h"

namespace dustvane::win32 {

// The controls the handlers work with, each over the Windows control that
// shows it. Texts are UTF-8 on the program's side and UTF-16 on the window's.

class Win32Button {
 public:
  explicit Win32Button(HWND button) : button_(button) {}
  void SetCaption(const std::string& caption);
  void SetEnabled(bool enabled);

 private:
  HWND button_;
};

class Win32Option {
 public:
  explicit Win32Option(HWND option) : option_(option) {}
  bool Value() const;

 private:
  HWND option_;
};

// A 0 to 100 progress bar. The position is kept as the float it was set to,
// so stepping it by 2 and comparing it with 100 works on exactly the values
// the timer computed; the bar shows its whole part.
class Win32ActivityBar {
 public:
  explicit Win32ActivityBar(HWND bar);
  bool Visible() const;
  void SetVisible(bool visible);
  float Value() const { return position_; }
  void SetValue(float position);

 private:
  HWND bar_;
  float position_ = 0.0f;
};

class Win32Text {
 public:
  explicit Win32Text(HWND edit) : edit_(edit) {}
  void SetText(const std::string& text);

 private:
  HWND edit_;
};

// A drop-down list of drive roots, each shown with its letter and label;
// `Drive` is the chosen root exactly as the file system knows it.
class Win32DriveList {
 public:
  Win32DriveList(HWND combo, std::vector<PathString> roots, const PathString& startFolder);
  PathString Drive() const;
  void SetEnabled(bool enabled);

 private:
  HWND combo_;
  std::vector<PathString> roots_;
};

// The results list. Each line keeps the exact path it was added with beside
// the text shown, and the selected line's path is that stored one: two names
// may look alike on screen, and a name need not be valid UTF-16.
class Win32List : public ResultsList {
 public:
  explicit Win32List(HWND list) : list_(list) {}
  void Clear();
  MaybeFailure AddItem(const PathString& line) override;
  // The path on the selected line, or empty when no line is selected.
  PathString SelectedPath() const;

 private:
  HWND list_;
  std::vector<PathString> paths_;
  int widest_ = 0;
};

// A modal message with one OK button and no icon. Every window of the
// program is disabled while it is open.
class Win32MessageDialog : public MessageDialog {
 public:
  MaybeFailure Show(const std::string& text, const std::string& title) override;
};

// The text a path is shown by: control characters, which no line should
// carry, are shown by their visible pictures (U+2400 and on).
std::wstring DisplayText(const PathString& path);

}  // namespace dustvane::win32
