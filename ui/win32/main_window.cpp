#include "ui/win32/main_window.h"

#include <commctrl.h>

#include <utility>

#include "ui/win32/dpi.h"

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

MainWindow::MainWindow(std::vector<PathString> drives, const PathString& startFolder)
    : drives_(std::move(drives)), startFolder_(startFolder) {
  Create(L"DustvaneMain", L"Dustvane", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, kClientArea);
}

MainWindow::~MainWindow() {
  if (titleFont_) DeleteObject(titleFont_);
}

void MainWindow::CreateControls() {
  HWND window = Handle();
  // Created in the order that the dialog keys go by: the three options one
  // group for the arrow keys (WS_GROUP on the first and on what follows
  // them); Tab goes by TabOrder() below.
  lblTitle =
      Named("lblTitle", MakeControl(window, L"STATIC", L"DUSTVANE", SS_CENTER | SS_CENTERIMAGE | WS_BORDER, kTitleId));
  layout_.Place(lblTitle, {1080, 120, 3015, 975});
  frmeSearchDrives =
      Named("frmeSearchDrives", MakeControl(window, L"BUTTON", L"Search Drives...", BS_GROUPBOX, kFrameId));
  layout_.Place(frmeSearchDrives, kFrame);
  optSearchAllWindow =
      Named("optSearchAll", MakeControl(window, L"BUTTON", L"Local Hard Disk", kOption | WS_GROUP, kSearchAllId));
  layout_.Place(optSearchAllWindow, InFrame(120, 240, 1695, 255));
  optDriveWindow = Named("optDrive", MakeControl(window, L"BUTTON", L"Drive:", kOption, kDriveOptionId));
  layout_.Place(optDriveWindow, InFrame(120, 480, 1095, 255));
  optFolderWindow = Named("optFolder", MakeControl(window, L"BUTTON", L"Folder", kOption, kFolderId));
  layout_.Place(optFolderWindow, InFrame(120, 720, 975, 195));
  Drive1Window = Named("Drive1", MakeControl(window, L"COMBOBOX", L"",
                                             CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, kDriveListId));
  cmdSearchWindow = Named(
      "cmdSearch", MakeControl(window, L"BUTTON", L"&Search For Temporary Files", kPushButton | WS_GROUP, kSearchId));
  layout_.Place(cmdSearchWindow, {1320, 2640, 2415, 375});
  ProgressBar1Window = Named("ProgressBar1", MakeControl(window, PROGRESS_CLASSW, L"", 0, kActivityBarId));
  layout_.Place(ProgressBar1Window, {720, 3120, 3615, 255});
  cmdExitWindow = Named("cmdExit", MakeControl(window, L"BUTTON", L"&Exit", kPushButton, kExitId));
  layout_.Place(cmdExitWindow, {4560, 3240, 615, 255});

  SendMessageW(optSearchAllWindow, BM_SETCHECK, BST_CHECKED, 0);
  ShowWindow(ProgressBar1Window, SW_HIDE);

  cmdSearch_ = std::make_unique<Win32Button>(cmdSearchWindow);
  optSearchAll_ = std::make_unique<Win32Option>(optSearchAllWindow);
  optDrive_ = std::make_unique<Win32Option>(optDriveWindow);
  Drive1_ = std::make_unique<Win32DriveList>(Drive1Window, std::move(drives_), startFolder_);
  Drive1_->SetEnabled(false);
  ProgressBar1_ = std::make_unique<Win32ActivityBar>(ProgressBar1Window);
  tmrAnimation_ = std::make_unique<Win32Timer>(window, kAnimationTimer, kTickMilliseconds);
}

void MainWindow::OnDpiChanged(UINT dpi) {
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
  const RECT box = ToPixels(kDriveList, dpi);
  const int wanted = box.bottom - box.top;
  SetWindowPos(Drive1Window, nullptr, box.left, box.top, box.right - box.left, wanted * (kDriveListRows + 1),
               SWP_NOZORDER | SWP_NOACTIVATE);
  for (int attempt = 0; attempt < 2; ++attempt) {
    RECT actual{};
    GetWindowRect(Drive1Window, &actual);
    const int difference = wanted - (actual.bottom - actual.top);
    if (difference == 0) break;
    const LRESULT itemHeight = SendMessageW(Drive1Window, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    if (itemHeight == CB_ERR) break;
    SendMessageW(Drive1Window, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), itemHeight + difference);
  }
}

MainWindowControls MainWindow::Controls() {
  return MainWindowControls{*this,    *cmdSearch_,    *optSearchAll_, *optDrive_,
                            *Drive1_, *ProgressBar1_, *tmrAnimation_, pointer_};
}

void MainWindow::Connect(MainWindowHandlers handlers) {
  handlers_ = std::move(handlers);
  tmrAnimation_->SetEnabled(true);
}

std::vector<HWND> MainWindow::TabOrder() const {
  return {optSearchAllWindow, optDriveWindow, Drive1Window, cmdSearchWindow, optFolderWindow, cmdExitWindow};
}

void MainWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  auto call = [](const std::function<void()>& handler) {
    if (handler) handler();
  };
  switch (id) {
    case kSearchId:
      call(handlers_.cmdSearch_Click);
      break;
    case kExitId:
      call(handlers_.cmdExit_Click);
      break;
    case kSearchAllId:
      if (optSearchAll_->Value()) call(handlers_.optSearchAll_Click);
      break;
    case kDriveOptionId:
      if (optDrive_->Value()) call(handlers_.optDrive_Click);
      break;
    default:
      break;
  }
}

void MainWindow::OnTimer(UINT_PTR id) {
  if (id == kAnimationTimer && handlers_.tmrAnimation_Timer) handlers_.tmrAnimation_Timer();
}

void MainWindow::OnClose() {
  // The frame's close control ends the program as Exit does.
  if (handlers_.cmdExit_Click) handlers_.cmdExit_Click();
}

}  // namespace dustvane::win32
