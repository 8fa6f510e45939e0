#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "search/failure.h"
#include "ui/controls.h"
#include "ui/win32/accessible_names.h"
#include "ui/window_description.h"

namespace dustvane {

// What the two windows share: built from their descriptions, a fixed client
// area given in twips and kept exact at every DPI, with every control where
// its twips put it and in the dialog font; centring when first shown, the
// focus kept across deactivation, keyboard focus moving by tab order, and
// the hourglass pointer while the program is busy. Each window owns the
// handlers of its controls and calls them from its own messages.
class Win32TopLevelWindow : public WindowControl {
 public:
  Win32TopLevelWindow() = default;
  ~Win32TopLevelWindow() override;
  Win32TopLevelWindow(const Win32TopLevelWindow&) = delete;
  Win32TopLevelWindow& operator=(const Win32TopLevelWindow&) = delete;

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
  // The controls Tab visits, in that order. Only those enabled and visible
  // take the focus, and of option buttons only the selected one, as in a
  // dialog.
  std::vector<HWND> TabOrder() const;

  // The control with the given name ("cmdSearch", "List1"...); null if
  // there is none.
  HWND Control(std::string_view name) const;

  // The program's window with this handle, or null.
  static Win32TopLevelWindow* FromHandle(HWND window);

 protected:
  // Makes the window described, hidden, with its controls laid out at its
  // DPI. When the system cannot make the window or any of its controls (a
  // session out of window resources), none of it is left: Handle() is null.
  void Create(const wchar_t* className, const WindowDescription& description);

  // Attaches the handlers' controls to the controls made, and gives them the
  // state they start in.
  virtual void AttachControls() = 0;
  virtual void OnCommand(int /*id*/, int /*code*/) {}
  virtual void OnTimer(UINT_PTR /*id*/) {}
  // A message of the program's own (WM_APP and above) posted to the window.
  virtual void OnPosted(UINT /*message*/) {}
  virtual void OnClose() = 0;
  // Fonts and other DPI-dependent resources of a window's own, made again
  // whenever the DPI changes.
  virtual void OnDpiChanged(UINT /*dpi*/) {}

 private:
  // Makes the controls, in the description's order, which stacks them as
  // designed; false when one of them could not be made.
  bool MakeControls();
  // Draws an edit control whose text has a colour of its own in it; returns
  // the background brush, or null to leave the control as the system draws it.
  HBRUSH ColourEdit(HWND edit, HDC dc) const;
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void ApplyDpi(UINT dpi);
  // Takes the window down without a call back into this object.
  void Destroy();
  void FitClientArea();

  HWND window_ = nullptr;
  std::optional<Failure> creationFailure_;
  const WindowDescription* description_ = nullptr;
  Win32AccessibleNames accessibleNames_;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  HFONT dialogFont_ = nullptr;
  HWND lastFocus_ = nullptr;
  bool shownBefore_ = false;
  std::vector<std::pair<std::string, HWND>> named_;
};

}  // namespace dustvane
