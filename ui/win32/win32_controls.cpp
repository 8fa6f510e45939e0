#include "ui/win32/win32_controls.h"

#include <commctrl.h>

#include <algorithm>

#include "search/win32/wide_text.h"
#include "search/win32/win32_failure.h"
#include "ui/path_text.h"
#include "ui/win32/screen_pointer.h"

namespace dustvane {

namespace {

constexpr int kBarMaximum = 100;

}  // namespace

void Win32Button::SetCaption(const std::string& caption) { SetWindowTextW(handle_, WideFromUtf8(caption).c_str()); }

void Win32Button::SetEnabled(bool enabled) { EnableWindow(handle_, enabled); }

bool Win32Option::Value() const { return SendMessageW(handle_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Win32ActivityBar::Attach(HWND bar) {
  handle_ = bar;
  SendMessageW(handle_, PBM_SETRANGE32, 0, kBarMaximum);
  SendMessageW(handle_, PBM_SETPOS, 0, 0);
}

void Win32ActivityBar::SetVisible(bool visible) { ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE); }

void Win32ActivityBar::SetValue(float position) {
  position_ = position;
  SendMessageW(handle_, PBM_SETPOS, static_cast<WPARAM>(std::clamp(position, 0.0f, float{kBarMaximum})), 0);
}

void Win32TextBox::SetText(const std::string& text) {
  SetWindowTextW(handle_, WideFromUtf8(text).c_str());
  SendMessageW(handle_, EM_SETSEL, 0, 0);
}

Win32DriveList::~Win32DriveList() = default;

void Win32DriveList::Attach(HWND combo, std::vector<PathString> drives, const PathString& homeFolder) {
  handle_ = combo;
  HWND window = GetParent(handle_);
  DriveLines& lines = *this;
  choice_ = std::make_unique<DriveChoice>(lines, std::move(drives), homeFolder,
                                          [window] { PostMessageW(window, kDriveAnswersMessage, 0, 0); });
}

PathString Win32DriveList::Drive() const { return choice_ ? choice_->Drive() : PathString(); }

void Win32DriveList::SetEnabled(bool enabled) { EnableWindow(handle_, enabled); }

void Win32DriveList::TakeAnswers() {
  if (choice_) choice_->TakeAnswers();
}

void Win32DriveList::AddLine(const std::string& text) {
  SendMessageW(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(text).c_str()));
}

void Win32DriveList::SetLineText(size_t line, const std::string& text) {
  // A line's text is replaced by taking the line out and putting it back.
  const LRESULT chosen = SendMessageW(handle_, CB_GETCURSEL, 0, 0);
  SendMessageW(handle_, CB_DELETESTRING, static_cast<WPARAM>(line), 0);
  SendMessageW(handle_, CB_INSERTSTRING, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(WideFromUtf8(text).c_str()));
  if (chosen != CB_ERR) SendMessageW(handle_, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

void Win32DriveList::RemoveLine(size_t line) { SendMessageW(handle_, CB_DELETESTRING, static_cast<WPARAM>(line), 0); }

std::optional<size_t> Win32DriveList::ChosenLine() const {
  const LRESULT chosen = SendMessageW(handle_, CB_GETCURSEL, 0, 0);
  return chosen == CB_ERR ? std::nullopt : std::optional<size_t>(static_cast<size_t>(chosen));
}

void Win32DriveList::Choose(std::optional<size_t> line) {
  SendMessageW(handle_, CB_SETCURSEL, line ? static_cast<WPARAM>(*line) : static_cast<WPARAM>(-1), 0);
}

Win32ResultsList::~Win32ResultsList() {
  if (measuring_) DeleteDC(measuring_);
}

void Win32ResultsList::Clear() {
  // A search follows: the list draws nothing, and reckons its scroll bars
  // for nothing, until ShowLines. Tens of thousands of lines are added in
  // the time the walk takes.
  SendMessageW(handle_, WM_SETREDRAW, FALSE, 0);
  held_ = true;
  SendMessageW(handle_, LB_RESETCONTENT, 0, 0);
  SendMessageW(handle_, LB_SETHORIZONTALEXTENT, 0, 0);
  paths_.clear();
  widest_ = 0;
  MeasureInFont(reinterpret_cast<HFONT>(SendMessageW(handle_, WM_GETFONT, 0, 0)));
}

MaybeFailure Win32ResultsList::AddItem(const PathString& line) {
  const std::wstring text = WideFromUtf8(DisplayPath(line));
  const LRESULT index = SendMessageW(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (index == LB_ERR || index == LB_ERRSPACE) return OutOfMemoryFailure();
  paths_.push_back(line);
  // Long paths scroll sideways rather than being cut off.
  if (!measuring_) MeasureInFont(reinterpret_cast<HFONT>(SendMessageW(handle_, WM_GETFONT, 0, 0)));
  SIZE extent{};
  if (GetTextExtentPoint32W(measuring_, text.c_str(), static_cast<int>(text.size()), &extent) && extent.cx > widest_) {
    widest_ = extent.cx;
    if (!held_) SendMessageW(handle_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest_ + 4), 0);
  }
  return std::nullopt;
}

void Win32ResultsList::ShowLines() {
  if (!held_) return;
  held_ = false;
  SendMessageW(handle_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest_ + 4), 0);
  SendMessageW(handle_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(handle_, nullptr, TRUE);
  // The window's font may be replaced (a new DPI) before the next fill, and
  // a font must not be deleted while a DC holds it.
  if (measuring_) SelectObject(measuring_, GetStockObject(DEFAULT_GUI_FONT));
}

void Win32ResultsList::MeasureInFont(HFONT font) {
  // A memory DC of its own: the list's own DC would be asked of the window
  // system for every line.
  if (!measuring_) measuring_ = CreateCompatibleDC(nullptr);
  if (measuring_) SelectObject(measuring_, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
}

PathString Win32ResultsList::SelectedPath() const {
  const LRESULT selected = SendMessageW(handle_, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR || static_cast<size_t>(selected) >= paths_.size()) return PathString();
  return paths_[static_cast<size_t>(selected)];
}

void Win32Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  if (enabled) {
    enabled_ = SetTimer(window_, id_, milliseconds_, nullptr) != 0;
  } else {
    KillTimer(window_, id_);
    enabled_ = false;
  }
}

void Win32ScreenPointer::Show(PointerShape shape) { ShowBusyPointer(shape == PointerShape::Hourglass); }

MaybeFailure Win32MessageDialog::Show(const std::string& text, const std::string& title) {
  // Task-modal with no owner: both windows are disabled while it is open.
  if (MessageBoxW(nullptr, WideFromUtf8(text).c_str(), WideFromUtf8(title).c_str(),
                  MB_OK | MB_TASKMODAL | MB_SETFOREGROUND) == 0) {
    return Win32Failure(GetLastError());
  }
  return std::nullopt;
}

}  // namespace dustvane
