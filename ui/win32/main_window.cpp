#include "ui/win32/main_window.h"

#include <commctrl.h>

#include "ui/main_window_description.h"
#include "ui/win32/dpi.h"

namespace dustvane {

namespace {

constexpr const WindowDescription& kMain = kMainWindowDescription;
constexpr int kSearchId = kMain["cmdSearch"].commandId;
constexpr int kExitId = kMain["cmdExit"].commandId;
constexpr int kSearchAllId = kMain["optSearchAll"].commandId;
constexpr int kDriveOptionId = kMain["optDrive"].commandId;
constexpr TwipsRect kDriveList = kMain.InClientArea(kMain["Drive1"]);
constexpr UINT_PTR kAnimationTimer = 1;
// How many drives the open list shows before it scrolls.
constexpr int kDriveListRows = 8;

}  // namespace

Win32MainWindow::Win32MainWindow(AppContext& context)
    : context_(context), tmrAnimation(kAnimationTimer, static_cast<UINT>(kAnimationInterval.count())) {
  Create(L"DustvaneMain", kMainWindowDescription);
  if (!Handle()) return;
  MainWindowControls controls{*this, cmdSearch, optSearchAll, optDrive, Drive1, ProgressBar1, tmrAnimation, pointer_};
  form_ = std::make_unique<frmMain>(context, controls, [this]() -> Result<frmFound*> {
    auto window = std::make_unique<Win32FoundWindow>(context_);
    if (window->CreationFailure()) return *window->CreationFailure();
    found_ = std::move(window);
    return &found_->Form();
  });
  tmrAnimation.SetEnabled(true);
}

Win32MainWindow::~Win32MainWindow() {
  if (titleFont_) DeleteObject(titleFont_);
}

Win32FoundWindow* Win32MainWindow::Found() { return form_ && form_->Found().ok() ? found_.get() : nullptr; }

void Win32MainWindow::AttachControls() {
  optSearchAll.Attach(Control("optSearchAll"));
  optDrive.Attach(Control("optDrive"));
  Drive1.Attach(Control("Drive1"), context_.drives, context_.homeFolder);
  cmdSearch.Attach(Control("cmdSearch"));
  ProgressBar1.Attach(Control("ProgressBar1"));
  cmdExit.Attach(Control("cmdExit"));
  tmrAnimation.Attach(Handle());
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
  SendMessageW(Control("lblTitle"), WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), FALSE);
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

}  // namespace dustvane
