// The controls as the handlers see them, read back from the Windows controls
// under them.

#include "ui/win32/win32_controls.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "tests/win32/ui/window_test_support.h"
#include "ui/drive_list.h"
#include "ui/win32/drive_text.h"
#include "ui/win32/profile_folder.h"
#include "ui/win32/found_window.h"
#include "ui/win32/main_window.h"
#include "ui/win32/screen_pointer.h"

namespace dustvane::testing {
namespace {

class Win32ControlsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitControls(); }
};

std::wstring LineText(HWND list, int line) {
  std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, line, 0)) + 1, L'\0');
  text.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, line, reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

TEST_F(Win32ControlsTest, ListDeletesByTheStoredPathNotTheShownText) {
  win32::FoundWindow found;
  ListControl& list = found.Controls().List1;
  HWND box = found.Control("List1");
  const PathString odd = L"C:\\t\\line\nbreak.tmp";
  const PathString plain = L"C:\\t\\b.tmp";
  ASSERT_FALSE(list.AddItem(L"C:\\t\\z.tmp"));
  ASSERT_FALSE(list.AddItem(odd));
  ASSERT_FALSE(list.AddItem(plain));

  // In the order added, never sorted, with a control character escaped.
  EXPECT_EQ(SendMessageW(box, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(LineText(box, 0), L"C:\\t\\z.tmp");
  EXPECT_EQ(LineText(box, 1), L"C:\\t\\line<U+000A>break.tmp");
  EXPECT_EQ(list.SelectedPath(), PathString());
  SendMessageW(box, LB_SETCURSEL, 1, 0);
  EXPECT_EQ(list.SelectedPath(), odd);
  SendMessageW(box, LB_SETCURSEL, 2, 0);
  EXPECT_EQ(list.SelectedPath(), plain);

  list.Clear();
  EXPECT_EQ(SendMessageW(box, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(list.SelectedPath(), PathString());
}

TEST_F(Win32ControlsTest, DriveListShowsLettersWithLabelsAndReportsTheRoot) {
  win32::MainWindow main({L"C:\\", L"D:\\"}, L"D:\\work\\here");
  DriveListControl& drives = main.Controls().Drive1;
  HWND combo = main.Control("Drive1");
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(drives.Drive(), L"D:\\");
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  EXPECT_EQ(drives.Drive(), L"C:\\");
  const std::wstring shown = Text(combo);
  EXPECT_EQ(shown.substr(0, 4), L"C: [");
  EXPECT_EQ(shown.back(), L']');

  drives.SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(combo));
}

TEST_F(Win32ControlsTest, TheMachinesDrivesIncludeCAndStartOnTheProfileDrive) {
  const std::vector<PathString> roots = ListDrives();
  EXPECT_NE(std::find(roots.begin(), roots.end(), L"C:\\"), roots.end());
  win32::MainWindow main(roots, win32::ProfileFolder());
  EXPECT_EQ(main.Controls().Drive1.Drive().substr(0, 1), win32::ProfileFolder().substr(0, 1));
}

TEST_F(Win32ControlsTest, ButtonsBarAndTextsShowWhatTheyAreGiven) {
  win32::MainWindow main({L"C:\\"}, L"C:\\");
  MainWindowControls controls = main.Controls();
  controls.cmdSearch.SetCaption("...Searching...");
  controls.cmdSearch.SetEnabled(false);
  EXPECT_EQ(Text(main.Control("cmdSearch")), L"...Searching...");
  EXPECT_FALSE(IsWindowEnabled(main.Control("cmdSearch")));

  controls.ProgressBar1.SetValue(51.0f);
  EXPECT_EQ(controls.ProgressBar1.Value(), 51.0f);
  EXPECT_EQ(SendMessageW(main.Control("ProgressBar1"), PBM_GETPOS, 0, 0), 51);
  controls.ProgressBar1.SetVisible(true);
  EXPECT_TRUE(GetWindowLongPtrW(main.Control("ProgressBar1"), GWL_STYLE) & WS_VISIBLE);

  win32::FoundWindow found;
  found.Controls().Text3.SetText("12");
  found.Controls().txtSizeSummary.SetText(
      "Size of files found under C:\\ = 1\xC2\xA0"
      "234 Bytes");
  EXPECT_EQ(Text(found.Control("Text3")), L"12");
  EXPECT_EQ(Text(found.Control("txtSizeSummary")), L"Size of files found under C:\\ = 1\u00A0234 Bytes");
}

TEST_F(Win32ControlsTest, HourglassStaysOverTheWindowsWhileBusy) {
  win32::MainWindow main({L"C:\\"}, L"C:\\");
  ScreenPointer& pointer = main.Controls().pointer;
  pointer.Show(PointerShape::Hourglass);
  EXPECT_TRUE(SendMessageW(main.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(main.Handle()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
  pointer.Show(PointerShape::Default);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_FALSE(win32::BusyPointerShown());
}

}  // namespace
}  // namespace dustvane::testing
