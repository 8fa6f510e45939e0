#pragma once

#include <memory>
#include <vector>

#include "ui/app_context.h"
#include "ui/controls.h"
#include "ui/frmFound.h"
#include "ui/win32/top_level_window.h"
#include "ui/win32/win32_controls.h"

namespace dustvane::win32 {

// The results window on the Windows API: the files found, their number in
// red, the commands to delete the file on the selected line or to hide the
// window, and the size summary of a local-disk search on a line of its own
// below them, with the handlers (frmFound) its buttons call. Closing it from
// its frame hides it as Close does.
class Win32FoundWindow final : public TopLevelWindow, public FoundWindow {
 public:
  explicit Win32FoundWindow(AppContext& context);
  ~Win32FoundWindow() override;

  // The window, hidden; or why the system could not make it.
  static Result<std::unique_ptr<FoundWindow>> Make(AppContext& context);

  frmFound& Form() override { return *form_; }
  // A search ends by showing this window: the lines it added are drawn then.
  void SetVisible(bool visible) override;

 protected:
  void CreateControls() override;
  std::vector<HWND> TabOrder() const override;
  void OnCommand(int id, int code) override;
  void OnClose() override;
  HBRUSH OnColorEdit(HWND edit, HDC dc) override;

 private:
  Win32List List1;
  HWND lblFound = nullptr;
  Win32Text Text3;
  HWND lblFiles = nullptr;
  HWND cmdDelete = nullptr;
  HWND cmdClose = nullptr;
  Win32Text txtSizeSummary;
  std::unique_ptr<frmFound> form_;
};

}  // namespace dustvane::win32
