#include "ui/win32/found_window.h"

#include "ui/found_window_description.h"

namespace dustvane {

namespace {

constexpr int kDeleteId = kFoundWindowDescription["cmdDelete"].commandId;
constexpr int kCloseId = kFoundWindowDescription["cmdClose"].commandId;

}  // namespace

Win32FoundWindow::Win32FoundWindow(AppContext& context) {
  Create(L"DustvaneFound", kFoundWindowDescription);
  if (!Handle()) return;
  form_ = std::make_unique<frmFound>(context, FoundWindowControls{*this, List1, Text3, txtSizeSummary});
}

Win32FoundWindow::~Win32FoundWindow() = default;

void Win32FoundWindow::AttachControls() {
  List1.Attach(Control("List1"));
  Text3.Attach(Control("Text3"));
  txtSizeSummary.Attach(Control("txtSizeSummary"));
}

void Win32FoundWindow::SetVisible(bool visible) {
  if (visible) List1.ShowLines();
  Win32TopLevelWindow::SetVisible(visible);
}

void Win32FoundWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED || !form_) return;
  if (id == kDeleteId) form_->cmdDelete_Click();
  if (id == kCloseId) form_->cmdClose_Click();
}

void Win32FoundWindow::OnClose() {
  // The frame's close control hides the window as Close does.
  if (form_) form_->cmdClose_Click();
}

}  // namespace dustvane
