#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "ui/win32/top_level_window.h"
#include "ui/win32/win32_controls.h"

namespace dustvane::win32 {

// What the results window's buttons call.
struct FoundWindowHandlers {
  std::function<void()> cmdDelete_Click;
  std::function<void()> cmdClose_Click;
};

// The results window on the Windows API: the files found, their number in
// red, the commands to delete the file on the selected line or to hide the
// window, and the size summary of a local-disk search on a line of its own
// below them. Closing it from its frame hides it as Close does.
class FoundWindow : public TopLevelWindow {
 public:
  FoundWindow();
  ~FoundWindow() override;

  void Connect(FoundWindowHandlers handlers) { handlers_ = std::move(handlers); }

  // What the handlers work on.
  FoundWindowControls Controls() { return FoundWindowControls{*this, *List1_, *Text3_, *summary_}; }

 protected:
  void CreateControls() override;
  std::vector<HWND> TabOrder() const override;
  void OnCommand(int id, int code) override;
  void OnClose() override;
  HBRUSH OnColorEdit(HWND edit, HDC dc) override;

 private:
  FoundWindowHandlers handlers_;

  HWND List1Window = nullptr;
  HWND lblFound = nullptr;
  HWND Text3Window = nullptr;
  HWND lblFiles = nullptr;
  HWND cmdDeleteWindow = nullptr;
  HWND cmdCloseWindow = nullptr;
  HWND txtSizeSummary = nullptr;

  std::unique_ptr<Win32List> List1_;
  std::unique_ptr<Win32Text> Text3_;
  std::unique_ptr<Win32Text> summary_;
};

}  // namespace dustvane::win32
