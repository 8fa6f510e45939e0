// The controls as the handlers see them, each over a Windows control of its
// kind, read back from that control.

#include "ui/win32/win32_controls.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "tests/ui/win32/window_test_support.h"
#include "ui/drive_list.h"
#include "ui/win32/main_window.h"
#include "ui/windows/profile_folder.h"
#include "ui/win32/screen_pointer.h"

namespace dustvane::testing {
namespace {

class Win32ControlsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitControls(); }
  void TearDown() override { DestroyWindow(parent_); }

  // A Windows control of the given class on a hidden window of its own.
  HWND Make(const wchar_t* windowClass, DWORD style = 0) {
    if (!parent_) parent_ = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    return CreateWindowExW(0, windowClass, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 200, 100, parent_, nullptr,
                           nullptr, nullptr);
  }

 private:
  HWND parent_ = nullptr;
};

std::wstring LineText(HWND list, int line) {
  std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, line, 0)) + 1, L'\0');
  text.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, line, reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

TEST_F(Win32ControlsTest, ListDeletesByTheStoredPathNotTheShownText) {
  Win32ResultsList list;
  HWND box = Make(L"LISTBOX", LBS_NOTIFY);
  list.Attach(box);
  const PathString odd = L"C:\\t\\line\nbreak.tmp";
  const PathString plain = L"C:\\t\\b.tmp";
  ASSERT_FALSE(list.AddItem(L"C:\\t\\z.tmp"));
  ASSERT_FALSE(list.AddItem(odd));
  ASSERT_FALSE(list.AddItem(plain));

  // In the order added, never sorted, with a control character escaped.
  EXPECT_EQ(SendMessageW(box, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(LineText(box, 0), L"C:\\t\\z.tmp");
  EXPECT_EQ(LineText(box, 1), L"C:\\t\\line\\u{000A}break.tmp");
  EXPECT_EQ(list.SelectedPath(), PathString());
  SendMessageW(box, LB_SETCURSEL, 1, 0);
  EXPECT_EQ(list.SelectedPath(), odd);
  SendMessageW(box, LB_SETCURSEL, 2, 0);
  EXPECT_EQ(list.SelectedPath(), plain);

  list.Clear();
  EXPECT_EQ(SendMessageW(box, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(list.SelectedPath(), PathString());
}

// Long lines scroll sideways to the end of the widest, wherever it stands,
// and every fill starts at the first line and the left edge with no line
// selected, wherever the one before was left.
TEST_F(Win32ControlsTest, ListScrollsToTheWidestLineAndEachFillStartsAtTheTopLeft) {
  Win32ResultsList list;
  HWND box = Make(L"LISTBOX", LBS_NOTIFY | WS_VSCROLL | WS_HSCROLL);
  const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);  // as the windows give it theirs
  list.Attach(box);
  const std::wstring wide = L"C:\\" + std::wstring(120, L'W') + L".tmp";
  for (int fill = 0; fill < 2; ++fill) {
    list.Clear();
    for (int i = 0; i < 60; ++i) {
      ASSERT_FALSE(list.AddItem(i == 20 + fill * 30 ? wide : L"C:\\" + std::wstring(i % 9, L'i') + L".tmp"));
    }
    list.ShowLines();
    EXPECT_EQ(SendMessageW(box, LB_GETTOPINDEX, 0, 0), 0) << fill;
    EXPECT_EQ(GetScrollPos(box, SB_HORZ), 0) << fill;
    EXPECT_EQ(SendMessageW(box, LB_GETCURSEL, 0, 0), LB_ERR) << fill;
    HDC dc = GetDC(box);
    SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
    ReleaseDC(box, dc);
    EXPECT_GE(SendMessageW(box, LB_GETHORIZONTALEXTENT, 0, 0), extent.cx) << fill;

    SendMessageW(box, LB_SETCURSEL, 55, 0);
    SendMessageW(box, WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0), 0);
    ASSERT_GT(SendMessageW(box, LB_GETTOPINDEX, 0, 0), 0);
    ASSERT_GT(GetScrollPos(box, SB_HORZ), 0);
  }
}

TEST_F(Win32ControlsTest, DriveListShowsLettersAtOnceThenWhatTheVolumesTell) {
  Win32DriveList drives;
  HWND combo = Make(L"COMBOBOX", CBS_DROPDOWNLIST);
  drives.Attach(combo, {L"C:\\", L"Q:\\"}, L"Q:\\work\\here");
  EXPECT_EQ(Text(combo), L"Q:");
  EXPECT_EQ(drives.Drive(), L"Q:\\");

  // This machine has no Q:, which leaves the list; C: shows its label or kind.
  for (int wait = 0; wait < 500 && SendMessageW(combo, CB_GETCOUNT, 0, 0) != 1; ++wait) {
    Sleep(10);
    drives.TakeAnswers();
  }
  ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(drives.Drive(), PathString());  // the chosen drive went
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  EXPECT_EQ(drives.Drive(), L"C:\\");
  for (int wait = 0; wait < 500 && Text(combo).size() <= 2; ++wait) {
    Sleep(10);
    drives.TakeAnswers();
  }
  const std::wstring shown = Text(combo);
  EXPECT_EQ(shown.substr(0, 4), L"C: [");
  EXPECT_EQ(shown.back(), L']');

  drives.SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(combo));
}

TEST_F(Win32ControlsTest, TheMachinesDrivesIncludeCAndStartOnTheProfileDrive) {
  const std::vector<PathString> roots = ListDrives();
  EXPECT_NE(std::find(roots.begin(), roots.end(), L"C:\\"), roots.end());
  Win32DriveList drives;
  drives.Attach(Make(L"COMBOBOX", CBS_DROPDOWNLIST), roots, ProfileFolder());
  EXPECT_EQ(drives.Drive().substr(0, 1), ProfileFolder().substr(0, 1));
}

TEST_F(Win32ControlsTest, ButtonsBarAndTextsShowWhatTheyAreGiven) {
  Win32Button button;
  button.Attach(Make(L"BUTTON"));
  button.SetCaption("...Searching...");
  button.SetEnabled(false);
  EXPECT_EQ(Text(button.Handle()), L"...Searching...");
  EXPECT_FALSE(IsWindowEnabled(button.Handle()));

  Win32ActivityBar bar;
  bar.Attach(Make(PROGRESS_CLASSW));
  bar.SetValue(51.0f);
  EXPECT_EQ(bar.Value(), 51.0f);
  EXPECT_EQ(SendMessageW(bar.Handle(), PBM_GETPOS, 0, 0), 51);
  bar.SetVisible(false);
  EXPECT_FALSE(GetWindowLongPtrW(bar.Handle(), GWL_STYLE) & WS_VISIBLE);
  bar.SetVisible(true);
  EXPECT_TRUE(GetWindowLongPtrW(bar.Handle(), GWL_STYLE) & WS_VISIBLE);

  Win32TextBox text;
  text.Attach(Make(L"EDIT", ES_AUTOHSCROLL));
  text.SetText("Size of files found under C:\\ = 1\xC2\xA0" "234 Bytes");
  EXPECT_EQ(Text(text.Handle()), L"Size of files found under C:\\ = 1\u00A0" L"234 Bytes");
}

TEST_F(Win32ControlsTest, HourglassStaysOverTheWindowsWhileBusy) {
  WindowsContext w;
  Win32MainWindow main(w.context);
  Win32ScreenPointer pointer;
  pointer.Show(PointerShape::Hourglass);
  EXPECT_TRUE(SendMessageW(main.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(main.Handle()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
  pointer.Show(PointerShape::Default);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_FALSE(BusyPointerShown());
}

}  // namespace
}  // namespace dustvane::testing
