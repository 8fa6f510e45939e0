#include "ui/win32/program.h"

#include "ui/frmFound.h"
#include "ui/win32/found_window.h"

namespace dustvane::win32 {

namespace {

// The results window with its handlers, its buttons and frame wired to them.
class WiredFoundWindow : public dustvane::FoundWindow {
 public:
  explicit WiredFoundWindow(AppContext& context) : form_(context, window_.Controls()) {
    FoundWindowHandlers handlers;
    handlers.cmdDelete_Click = [this] { form_.cmdDelete_Click(); };
    handlers.cmdClose_Click = [this] { form_.cmdClose_Click(); };
    window_.Connect(std::move(handlers));
  }

  frmFound& Form() override { return form_; }

 private:
  win32::FoundWindow window_;
  frmFound form_;
};

}  // namespace

Program::Program(AppContext& context) : window_(context.drives, context.homeFolder) {
  form_ = std::make_unique<frmMain>(context, window_.Controls(),
                                    [&context] { return std::make_unique<WiredFoundWindow>(context); });
  frmMain& form = *form_;
  MainWindowHandlers handlers;
  handlers.cmdSearch_Click = [&form] { form.cmdSearch_Click(); };
  handlers.tmrAnimation_Timer = [&form] { form.tmrAnimation_Timer(); };
  handlers.optSearchAll_Click = [&form] { form.optSearchAll_Click(); };
  handlers.optDrive_Click = [&form] { form.optDrive_Click(); };
  handlers.cmdExit_Click = [&form] { form.cmdExit_Click(); };
  window_.Connect(std::move(handlers));
}

}  // namespace dustvane::win32
