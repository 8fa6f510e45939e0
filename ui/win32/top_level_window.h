#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/controls.h"
#include "ui/win32/window_layout.h"

namespace dustvane::win32 {

// What the two windows share: a fixed client area given in twips and kept
// exact at every DPI, the desktop's message font on every control, centring
// when first shown, the focus kept across deactivation, keyboard focus moving
// by tab order, and the hourglass pointer while the program is busy.
class TopLevelWindow : public WindowControl {
 public:
  TopLevelWindow() = default;
  ~TopLevelWindow() override;
  TopLevelWindow(const TopLevelWindow&) = delete;
  TopLevelWindow& operator=(const TopLevelWindow&) = delete;

  HWND Handle() const { return window_; }

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
  // Makes the window, hidden, with its controls laid out at its DPI.
  void Create(const wchar_t* className, const std::wstring& caption, DWORD style, TwipsRect clientArea);

  virtual void CreateControls() = 0;
  // Controls in tab order. Only those enabled and visible take the focus, and
  // of option buttons only the selected one, as in a dialog.
  virtual std::vector<HWND> TabOrder() const = 0;
  virtual void OnCommand(int /*id*/, int /*code*/) {}
  virtual void OnTimer(UINT_PTR /*id*/) {}
  virtual void OnClose() = 0;
  // Lets a window colour an edit control's text; returns the background
  // brush, or null to leave the control as the system draws it.
  virtual HBRUSH OnColorEdit(HWND /*edit*/, HDC /*dc*/) { return nullptr; }
  // Fonts and other DPI-dependent resources of a window's own, made again
  // whenever the DPI changes.
  virtual void OnDpiChanged(UINT /*dpi*/) {}

  // Registers a control under its name (see Control) and returns it.
  HWND Named(const char* name, HWND control);

  HFONT MessageFontHandle() const { return messageFont_; }
  UINT Dpi() const { return dpi_; }

  WindowLayout layout_;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void ApplyDpi(UINT dpi);
  void FitClientArea();

  HWND window_ = nullptr;
  TwipsRect clientArea_;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  HFONT messageFont_ = nullptr;
  HWND lastFocus_ = nullptr;
  bool shownBefore_ = false;
  std::vector<std::pair<std::string, HWND>> named_;
};

}  // namespace dustvane::win32
