#include "ui/win32/control_classes.h"

#include <commctrl.h>

namespace dustvane {

namespace {

DWORD StaticAlignment(TextAlign align) {
  switch (align) {
    case TextAlign::Centre:
      return SS_CENTER;
    case TextAlign::Right:
      return SS_RIGHT;
    case TextAlign::Left:
      break;
  }
  return SS_LEFT;
}

}  // namespace

Win32ControlClass ClassOf(const ControlDescription& control) {
  switch (control.kind) {
    case ControlKind::Button:
      return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::Option:
      return {L"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP, 0};
    case ControlKind::Frame:
      return {L"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::Label:
      return {L"STATIC", StaticAlignment(control.align) | SS_CENTERIMAGE, 0};
    case ControlKind::Title:
      return {L"STATIC", StaticAlignment(control.align) | SS_CENTERIMAGE | WS_BORDER, 0};
    case ControlKind::DriveList:
      return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::ActivityBar:
      return {PROGRESS_CLASSW, 0, 0};
    case ControlKind::ResultsList:
      return {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::TextBox:
      return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::SummaryLine:
      // Read-only and frameless: a line of text that can still be selected
      // and copied, but is not a stop of the Tab key.
      return {L"EDIT", ES_AUTOHSCROLL | ES_READONLY, 0};
  }
  return {L"STATIC", 0, 0};
}

}  // namespace dustvane
