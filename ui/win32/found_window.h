#pragma once

#include <memory>

#include "ui/app_context.h"
#include "ui/controls.h"
#include "ui/frmFound.h"
#include "ui/win32/top_level_window.h"
#include "ui/win32/win32_controls.h"

namespace dustvane {

// The results window on the Windows API, built from its description: the
// files found, their number in red, the commands to delete the file on the
// selected line or to hide the window, and the size summary of a local-disk
// search on a line of its own below them, wired to the window's handlers
// (frmFound). Closing it from its frame hides it as Close does. Made hidden;
// CreationFailure() tells why when the system could not make it.
class Win32FoundWindow final : public Win32TopLevelWindow {
 public:
  explicit Win32FoundWindow(AppContext& context);
  ~Win32FoundWindow() override;

  frmFound& Form() { return *form_; }
  // A search ends by showing this window: the lines it added are drawn then.
  void SetVisible(bool visible) override;

 protected:
  void AttachControls() override;
  void OnCommand(int id, int code) override;
  void OnClose() override;

 private:
  Win32ResultsList List1;
  Win32TextBox Text3;
  Win32TextBox txtSizeSummary;
  std::unique_ptr<frmFound> form_;
};

}  // namespace dustvane
