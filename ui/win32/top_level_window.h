#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "search/failure.h"
#include "ui/controls.h"
#include "ui/win32/accessible_names.h"
#include "ui/win32/window_layout.h"

namespace dustvane::win32 {

// What the two windows share: a fixed client area given in twips and kept
// exact at every DPI, the dialog font on every control, centring when first
// shown, the focus kept across deactivation, keyboard focus moving by tab
// order, and the hourglass pointer while the program is busy. Each window
// owns the handlers of its controls and calls them from its own messages.
class TopLevelWindow : public WindowControl {
 public:
  TopLevelWindow() = default;
  ~TopLevelWindow() override;
  TopLevelWindow(const TopLevelWindow&) = delete;
  TopLevelWindow& operator=(const TopLevelWindow&) = delete;

  // The window; null when it could not be made (see CreationFailure).
  HWND Handle() const { return window_; }
  // Why the system could not make the window or one of its controls, if so.
  const std::optional<Failure>& CreationFailure() const { return creationFailure_; }

  bool Visible() const override { return IsWindowVisible(window_) != FALSE; }
  // Shows or hides the window; the first time it is shown it is centred on
  // the work area of its screen.
  void SetVisible(bool visible) override;
  void PaintNow() override;

  // Tab and Shift+Tab: the next control in tab order that can take the focus.
  void MoveFocus(bool backwards);

  // The control with the given name ("cmdSearch", "List1"...), for tests
  // and tools that look at the window from outside; null if there is none.
  HWND Control(const char* name) const;

  // The program's window with this handle, or null.
  static TopLevelWindow* FromHandle(HWND window);

 protected:
  // Makes the window, hidden, with its controls laid out at its DPI. When the
  // system cannot make the window or any of its controls (a session out of
  // window resources), none of it is left: Handle() is null.
  void Create(const wchar_t* className, const std::wstring& caption, DWORD style, TwipsRect clientArea);

  // Makes the controls with AddControl, and attaches the handlers' controls.
  virtual void CreateControls() = 0;
  // Controls in tab order. Only those enabled and visible take the focus, and
  // of option buttons only the selected one, as in a dialog.
  virtual std::vector<HWND> TabOrder() const = 0;
  virtual void OnCommand(int /*id*/, int /*code*/) {}
  virtual void OnTimer(UINT_PTR /*id*/) {}
  // A message of the program's own (WM_APP and above) posted to the window.
  virtual void OnPosted(UINT /*message*/) {}
  virtual void OnClose() = 0;
  // Lets a window colour an edit control's text; returns the background
  // brush, or null to leave the control as the system draws it.
  virtual HBRUSH OnColorEdit(HWND /*edit*/, HDC /*dc*/) { return nullptr; }
  // Fonts and other DPI-dependent resources of a window's own, made again
  // whenever the DPI changes.
  virtual void OnDpiChanged(UINT /*dpi*/) {}

  // A control of the window, registered under its name (see Control), with
  // the given window class, text and styles (WS_CHILD and WS_VISIBLE added),
  // placed where the layout puts it; null when it could not be made.
  HWND AddControl(const char* name, const wchar_t* windowClass, const std::wstring& text, DWORD style, int id,
                  TwipsRect where, DWORD exStyle = 0);
  // What a screen reader says for a control whose text does not say what it
  // is (controls with a caption are spoken by it).
  void GiveAccessibleName(HWND control, const char* name) { accessibleNames_.Give(control, name); }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void ApplyDpi(UINT dpi);
  // Takes the window down without a call back into this object.
  void Destroy();
  void FitClientArea();

  HWND window_ = nullptr;
  std::optional<Failure> creationFailure_;
  TwipsRect clientArea_;
  WindowLayout layout_;
  AccessibleNames accessibleNames_;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  HFONT dialogFont_ = nullptr;
  HWND lastFocus_ = nullptr;
  bool shownBefore_ = false;
  std::vector<std::pair<std::string, HWND>> named_;
};

}  // namespace dustvane::win32
