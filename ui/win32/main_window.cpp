#include "ui/win32/main_window.h"

#include <commctrl.h>

#include "ui/control_names.h"
#include "ui/win32/dpi.h"
#include "ui/win32/found_window.h"

namespace dustvane::win32 {

namespace {

// Control numbers, none of them IDOK (1) or IDCANCEL (2): Enter and Esc
// arrive as those and must press nothing.
enum ControlId {
  kTitleId = 100,
  kFrameId,
  kSearchAllId,
  kDriveOptionId,
  kFolderId,
  kDriveListId,
  kSearchId,
  kActivityBarId,
  kExitId,
};

constexpr UINT_PTR kAnimationTimer = 1;
constexpr UINT kTickMilliseconds = 50;

constexpr TwipsRect kClientArea{0, 0, 5205, 3525};
constexpr TwipsRect kFrame{360, 1440, 4335, 1095};
// Inside the frame, measured from its top-left corner.
constexpr TwipsRect InFrame(int left, int top, int width, int height) {
  return TwipsRect{kFrame.left + left, kFrame.top + top, width, height};
}
constexpr TwipsRect kDriveList = InFrame(1200, 480, 3015, 315);
// How many drives the open list shows before it scrolls.
constexpr int kDriveListRows = 8;

constexpr DWORD kPushButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kOption = BS_AUTORADIOBUTTON | WS_TABSTOP;

}  // namespace

Win32MainWindow::Win32MainWindow(AppContext& context)
    : context_(context), tmrAnimation(kAnimationTimer, kTickMilliseconds) {
  Create(L"DustvaneMain", L"Dustvane", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, kClientArea);
  if (!Handle()) return;
  MainWindowControls controls{*this, cmdSearch, optSearchAll, optDrive, Drive1, ProgressBar1, tmrAnimation, pointer_};
  form_ = std::make_unique<frmMain>(context, controls, [this]() -> Result<std::unique_ptr<FoundWindow>> {
    Result<std::unique_ptr<FoundWindow>> made = Win32FoundWindow::Make(context_);
    if (made.ok()) found_ = static_cast<Win32FoundWindow*>(made.value().get());
    return made;
  });
  tmrAnimation.SetEnabled(true);
}

Win32MainWindow::~Win32MainWindow() {
  if (titleFont_) DeleteObject(titleFont_);
}

Win32FoundWindow* Win32MainWindow::Found() {
  return form_ && form_->Found().ok() ? found_ : nullptr;
}

void Win32MainWindow::CreateControls() {
  // Created in the order that the dialog keys go by: the three options one
  // group for the arrow keys (WS_GROUP on the first and on what follows
  // them); Tab goes by TabOrder() below.
  lblTitle = AddControl("lblTitle", L"STATIC", L"DUSTVANE", SS_CENTER | SS_CENTERIMAGE | WS_BORDER, kTitleId,
                        {1080, 120, 3015, 975});
  frmeSearchDrives =
      AddControl("frmeSearchDrives", L"BUTTON", L"Search Drives...", BS_GROUPBOX, kFrameId, kFrame);
  optSearchAll.Attach(AddControl("optSearchAll", L"BUTTON", L"Local Hard Disk", kOption | WS_GROUP, kSearchAllId,
                                 InFrame(120, 240, 1695, 255)));
  optDrive.Attach(
      AddControl("optDrive", L"BUTTON", L"Drive:", kOption, kDriveOptionId, InFrame(120, 480, 1095, 255)));
  optFolder.Attach(AddControl("optFolder", L"BUTTON", L"Folder", kOption, kFolderId, InFrame(120, 720, 975, 195)));
  Drive1.Attach(AddControl("Drive1", L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP,
                           kDriveListId, kDriveList),
                context_.drives, context_.homeFolder);
  cmdSearch.Attach(AddControl("cmdSearch", L"BUTTON", L"&Search For Temporary Files", kPushButton | WS_GROUP,
                              kSearchId, {1320, 2640, 2415, 375}));
  ProgressBar1.Attach(
      AddControl("ProgressBar1", PROGRESS_CLASSW, L"", 0, kActivityBarId, {720, 3120, 3615, 255}));
  cmdExit.Attach(AddControl("cmdExit", L"BUTTON", L"&Exit", kPushButton, kExitId, {4560, 3240, 615, 255}));
  tmrAnimation.Attach(Handle());

  GiveAccessibleName(Drive1.Handle(), kDrive1Name);
  GiveAccessibleName(ProgressBar1.Handle(), kProgressBar1Name);

  SendMessageW(optSearchAll.Handle(), BM_SETCHECK, BST_CHECKED, 0);
  Drive1.SetEnabled(false);
  ProgressBar1.SetVisible(false);
}

void Win32MainWindow::OnDpiChanged(UINT dpi) {
  HFONT replaced = titleFont_;
  LOGFONTW title{};
  title.lfHeight = -MulDiv(18, static_cast<int>(dpi), 72);
  title.lfWeight = FW_BOLD;
  title.lfCharSet = DEFAULT_CHARSET;
  title.lfQuality = DEFAULT_QUALITY;
  wcscpy(title.lfFaceName, L"MS Sans Serif");
  titleFont_ = CreateFontIndirectW(&title);
  SendMessageW(lblTitle, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), FALSE);
  if (replaced) DeleteObject(replaced);

  // A drop-down list is as high as its font makes the closed box; set the
  // box's height so the whole control has the height of the layout, and give
  // the open list room below it.
  HWND combo = Drive1.Handle();
  const RECT box = ToPixels(kDriveList, dpi);
  const int wanted = box.bottom - box.top;
  SetWindowPos(combo, nullptr, box.left, box.top, box.right - box.left, wanted * (kDriveListRows + 1),
               SWP_NOZORDER | SWP_NOACTIVATE);
  for (int attempt = 0; attempt < 2; ++attempt) {
    RECT actual{};
    GetWindowRect(combo, &actual);
    const int difference = wanted - (actual.bottom - actual.top);
    if (difference == 0) break;
    const LRESULT itemHeight = SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    if (itemHeight == CB_ERR) break;
    SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), itemHeight + difference);
  }
}

std::vector<HWND> Win32MainWindow::TabOrder() const {
  return {optSearchAll.Handle(), optDrive.Handle(), Drive1.Handle(),
          cmdSearch.Handle(),    optFolder.Handle(), cmdExit.Handle()};
}

void Win32MainWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED || !form_) return;
  switch (id) {
    case kSearchId:
      form_->cmdSearch_Click();
      break;
    case kExitId:
      form_->cmdExit_Click();
      break;
    case kSearchAllId:
      if (optSearchAll.Value()) form_->optSearchAll_Click();
      break;
    case kDriveOptionId:
      if (optDrive.Value()) form_->optDrive_Click();
      break;
    default:
      break;
  }
}

void Win32MainWindow::OnTimer(UINT_PTR id) {
  if (id == kAnimationTimer && form_) form_->tmrAnimation_Timer();
}

void Win32MainWindow::OnPosted(UINT message) {
  if (message == kDriveAnswersMessage) Drive1.TakeAnswers();
}

void Win32MainWindow::OnClose() {
  // The frame's close control ends the program as Exit does.
  if (form_) form_->cmdExit_Click();
}

}  // namespace dustvane::win32
