#include "ui/win32/found_window.h"

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

FoundWindow::FoundWindow() { Create(L"DustvaneFound", L"Found", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, kClientArea); }

FoundWindow::~FoundWindow() = default;

void FoundWindow::CreateControls() {
  HWND window = Handle();
  List1Window =
      Named("List1", MakeControl(window, L"LISTBOX", L"",
                                 LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | WS_GROUP,
                                 kListId, WS_EX_CLIENTEDGE));
  layout_.Place(List1Window, {120, 120, 6495, 4350});
  lblFound = Named("lblFound", MakeControl(window, L"STATIC", L"Found", SS_RIGHT | SS_CENTERIMAGE, kFoundLabelId));
  layout_.Place(lblFound, {120, 4560, 615, 255});
  Text3Window = Named(
      "Text3", MakeControl(window, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, kCountId, WS_EX_CLIENTEDGE));
  layout_.Place(Text3Window, {840, 4560, 735, 285});
  lblFiles = Named("lblFiles", MakeControl(window, L"STATIC", L"files", SS_LEFT | SS_CENTERIMAGE, kFilesLabelId));
  layout_.Place(lblFiles, {1680, 4560, 495, 255});
  cmdDeleteWindow =
      Named("cmdDelete", MakeControl(window, L"BUTTON", L"&Delete", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, kDeleteId));
  layout_.Place(cmdDeleteWindow, {3360, 4560, 1215, 375});
  cmdCloseWindow = Named("cmdClose", MakeControl(window, L"BUTTON", L"&Close", BS_PUSHBUTTON | WS_TABSTOP, kCloseId));
  layout_.Place(cmdCloseWindow, {5640, 4560, 975, 375});
  // Read-only and frameless: a line of text that can still be selected and
  // copied, but is not a stop of the Tab key.
  txtSizeSummary = Named("txtSizeSummary", MakeControl(window, L"EDIT", L"", ES_AUTOHSCROLL | ES_READONLY, kSummaryId));
  layout_.Place(txtSizeSummary, {120, 5040, 6495, 315});

  List1_ = std::make_unique<Win32List>(List1Window);
  Text3_ = std::make_unique<Win32Text>(Text3Window);
  summary_ = std::make_unique<Win32Text>(txtSizeSummary);
}

std::vector<HWND> FoundWindow::TabOrder() const { return {List1Window, Text3Window, cmdDeleteWindow, cmdCloseWindow}; }

void FoundWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id == kDeleteId && handlers_.cmdDelete_Click) handlers_.cmdDelete_Click();
  if (id == kCloseId && handlers_.cmdClose_Click) handlers_.cmdClose_Click();
}

void FoundWindow::OnClose() {
  // The frame's close control hides the window as Close does.
  if (handlers_.cmdClose_Click) {
    handlers_.cmdClose_Click();
  } else {
    SetVisible(false);
  }
}

HBRUSH FoundWindow::OnColorEdit(HWND edit, HDC dc) {
  if (edit != Text3Window) return nullptr;
  SetTextColor(dc, RGB(255, 0, 0));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return GetSysColorBrush(COLOR_WINDOW);
}

}  // namespace dustvane::win32
