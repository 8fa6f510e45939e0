#include "ui/win32/found_window.h"

#include "ui/control_names.h"

namespace dustvane::win32 {

namespace {

// None of them IDOK (1) or IDCANCEL (2): see main_window.cpp.
enum ControlId {
  kListId = 200,
  kFoundLabelId,
  kCountId,
  kFilesLabelId,
  kDeleteId,
  kCloseId,
  kSummaryId,
};

// The designed client area is 6720 x 5040 twips; the size summary's line
// below the bottom row makes it taller by one row.
constexpr TwipsRect kClientArea{0, 0, 6720, 5490};

}  // namespace

Win32FoundWindow::Win32FoundWindow(AppContext& context) {
  Create(L"DustvaneFound", L"Found", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, kClientArea);
  if (!Handle()) return;
  form_ = std::make_unique<frmFound>(context, FoundWindowControls{*this, List1, Text3, txtSizeSummary});
}

Win32FoundWindow::~Win32FoundWindow() = default;

Result<std::unique_ptr<FoundWindow>> Win32FoundWindow::Make(AppContext& context) {
  auto window = std::make_unique<Win32FoundWindow>(context);
  if (window->CreationFailure()) return *window->CreationFailure();
  return std::unique_ptr<FoundWindow>(std::move(window));
}

void Win32FoundWindow::CreateControls() {
  List1.Attach(AddControl("List1", L"LISTBOX", L"",
                          LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | WS_GROUP, kListId,
                          {120, 120, 6495, 4350}, WS_EX_CLIENTEDGE));
  lblFound =
      AddControl("lblFound", L"STATIC", L"Found", SS_RIGHT | SS_CENTERIMAGE, kFoundLabelId, {120, 4560, 615, 255});
  Text3.Attach(AddControl("Text3", L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, kCountId,
                          {840, 4560, 735, 285}, WS_EX_CLIENTEDGE));
  lblFiles =
      AddControl("lblFiles", L"STATIC", L"files", SS_LEFT | SS_CENTERIMAGE, kFilesLabelId, {1680, 4560, 495, 255});
  cmdDelete = AddControl("cmdDelete", L"BUTTON", L"&Delete", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, kDeleteId,
                         {3360, 4560, 1215, 375});
  cmdClose =
      AddControl("cmdClose", L"BUTTON", L"&Close", BS_PUSHBUTTON | WS_TABSTOP, kCloseId, {5640, 4560, 975, 375});
  // Read-only and frameless: a line of text that can still be selected and
  // copied, but is not a stop of the Tab key.
  txtSizeSummary.Attach(AddControl("txtSizeSummary", L"EDIT", L"", ES_AUTOHSCROLL | ES_READONLY, kSummaryId,
                                   {120, 5040, 6495, 315}));
  GiveAccessibleName(List1.Handle(), kList1Name);
  GiveAccessibleName(Text3.Handle(), kText3Name);
  GiveAccessibleName(txtSizeSummary.Handle(), kSizeSummaryName);
}

void Win32FoundWindow::SetVisible(bool visible) {
  if (visible) List1.ShowLines();
  TopLevelWindow::SetVisible(visible);
}

std::vector<HWND> Win32FoundWindow::TabOrder() const {
  return {List1.Handle(), Text3.Handle(), cmdDelete, cmdClose};
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

HBRUSH Win32FoundWindow::OnColorEdit(HWND edit, HDC dc) {
  if (edit != Text3.Handle()) return nullptr;
  SetTextColor(dc, RGB(255, 0, 0));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return GetSysColorBrush(COLOR_WINDOW);
}

}  // namespace dustvane::win32
