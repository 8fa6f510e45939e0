// Both windows as laid out: as their descriptions give them, again at
// another DPI, the frames' buttons, the captions fitting their controls,
// fonts and the controls' states when the program starts.

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "search/win32/wide_text.h"
#include "tests/ui/win32/window_test_support.h"
#include "tests/ui/window_layout_check.h"
#include "ui/found_window_description.h"
#include "ui/main_window_description.h"
#include "ui/win32/dpi.h"
#include "ui/win32/found_window.h"
#include "ui/win32/main_window.h"

namespace dustvane::testing {
namespace {

class Win32BuiltWindow final : public BuiltWindow {
 public:
  explicit Win32BuiltWindow(const Win32TopLevelWindow& window) : window_(window) {}
  std::string Caption() override { return Utf8FromWide(Text(window_.Handle())); }
  PixelRect ClientArea() override {
    RECT client{};
    GetClientRect(window_.Handle(), &client);
    return {0, 0, client.right, client.bottom};
  }
  std::optional<PixelRect> Place(std::string_view control) override {
    HWND handle = window_.Control(control);
    if (!handle) return std::nullopt;
    const RECT r = ClientRect(handle);
    return PixelRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
  }
  std::string CaptionOf(std::string_view control) override { return Utf8FromWide(Text(window_.Control(control))); }
  // The window moves the focus in its description's order itself; where
  // Tab goes is what window_keys_test.cpp checks, key by key.
  std::optional<std::vector<std::string>> TabOrder() override { return std::nullopt; }

 private:
  const Win32TopLevelWindow& window_;
};

LOGFONTW FontOf(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

class WindowLayoutTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitControls(); }
  WindowsContext w;
  Win32MainWindow main{w.context};
  Win32FoundWindow& found = *main.Found();
};

TEST_F(WindowLayoutTest, BothWindowsAreBuiltAsDescribed) {
  const std::pair<Win32TopLevelWindow*, const WindowDescription*> windows[] = {{&main, &kMainWindowDescription},
                                                                              {&found, &kFoundWindowDescription}};
  for (auto [window, description] : windows) {
    ASSERT_EQ(WindowDpi(window->Handle()), 96u) << "the description's pixels are those at 96 dpi";
    Win32BuiltWindow built(*window);
    EXPECT_EQ(LayoutMismatches(*description, built), std::vector<std::string>());
  }
}

TEST_F(WindowLayoutTest, MovingToAScreenOfAnotherDpiLaysTheWindowOutAgainAtIt) {
  constexpr UINT kDpi = 144;
  RECT suggested{10, 10, 600, 500};
  // The frame is sized for the new DPI too, but only a real move to another
  // screen gives it that DPI's title bar, so the client area is not checked.
  SendMessageW(found.Handle(), WM_DPICHANGED, MAKEWPARAM(kDpi, kDpi), reinterpret_cast<LPARAM>(&suggested));
  const RECT want = ToPixels(kFoundWindowDescription["cmdClose"].place, kDpi);
  const RECT got = ClientRect(found.Control("cmdClose"));
  EXPECT_EQ(got.left, want.left);
  EXPECT_EQ(got.top, want.top);
  EXPECT_EQ(got.right, want.right);
  EXPECT_EQ(got.bottom, want.bottom);
  const LOGFONTW font = FontOf(found.Control("cmdClose"));
  EXPECT_EQ(font.lfHeight, DialogFont(kDpi).lfHeight);
}

// How a control draws its caption: where the text may go inside the control.
enum class Drawn { Button, Option, Frame, Label };

// The caption's size in the control's own font, without its access-key mark:
// its width, and the height of its letters (the font's cell without the
// leading above them, where unaccented letters draw nothing).
SIZE CaptionExtent(HWND control) {
  std::wstring caption = Text(control);
  if (const size_t mark = caption.find(L'&'); mark != std::wstring::npos) caption.erase(mark, 1);
  HDC dc = GetDC(control);
  HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  extent.cy = metrics.tmHeight - metrics.tmInternalLeading;
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return extent;
}

// The room a control leaves its caption at `dpi`: a push button draws a
// two-pixel border and a focus rectangle a pixel inside it on either side;
// an option draws its 13-pixel indicator and a 4-pixel gap before the text;
// a frame starts its caption 8 pixels in and leaves as much at the end.
SIZE CaptionRoom(HWND control, Drawn drawn, UINT dpi) {
  RECT client{};
  GetClientRect(control, &client);
  const auto px = [dpi](int pixelsAt96) { return MulDiv(pixelsAt96, static_cast<int>(dpi), 96); };
  switch (drawn) {
    case Drawn::Button:
      return {client.right - 2 * px(3), client.bottom - 2 * px(2)};
    case Drawn::Option:
      return {client.right - px(13 + 4), client.bottom};
    case Drawn::Frame:
      return {client.right - 2 * px(8), client.bottom};
    case Drawn::Label:
      break;
  }
  return {client.right, client.bottom};
}

TEST_F(WindowLayoutTest, EveryCaptionFitsItsControlAt96And144Dpi) {
  struct Caption {
    Win32TopLevelWindow* window;
    const char* name;
    Drawn drawn;
  };
  const Caption captions[] = {
      {&main, "lblTitle", Drawn::Label},       {&main, "frmeSearchDrives", Drawn::Frame},
      {&main, "optSearchAll", Drawn::Option},  {&main, "optDrive", Drawn::Option},
      {&main, "optFolder", Drawn::Option},     {&main, "cmdSearch", Drawn::Button},
      {&main, "cmdExit", Drawn::Button},       {&found, "lblFound", Drawn::Label},
      {&found, "lblFiles", Drawn::Label},      {&found, "cmdDelete", Drawn::Button},
      {&found, "cmdClose", Drawn::Button},
  };
  for (UINT dpi : {96u, 144u}) {
    RECT suggested{10, 10, 600, 500};
    for (Win32TopLevelWindow* window : {static_cast<Win32TopLevelWindow*>(&main),
                                          static_cast<Win32TopLevelWindow*>(&found)}) {
      SendMessageW(window->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    }
    for (const Caption& c : captions) {
      HWND control = c.window->Control(c.name);
      const SIZE text = CaptionExtent(control);
      const SIZE room = CaptionRoom(control, c.drawn, dpi);
      EXPECT_LE(text.cx, room.cx) << c.name << " at " << dpi << " dpi, in " << FontOf(control).lfFaceName;
      EXPECT_LE(text.cy, room.cy) << c.name << " at " << dpi << " dpi, in " << FontOf(control).lfFaceName;
    }
  }
}

TEST_F(WindowLayoutTest, CaptionsAndFrameButtons) {
  EXPECT_EQ(Text(main.Handle()), L"Dustvane");
  EXPECT_EQ(Text(found.Handle()), L"Found");
  const LONG_PTR mainStyle = GetWindowLongPtrW(main.Handle(), GWL_STYLE);
  EXPECT_TRUE(mainStyle & WS_SYSMENU);
  EXPECT_TRUE(mainStyle & WS_MINIMIZEBOX);
  EXPECT_FALSE(mainStyle & WS_MAXIMIZEBOX);
  EXPECT_FALSE(mainStyle & WS_THICKFRAME);
  const LONG_PTR foundStyle = GetWindowLongPtrW(found.Handle(), GWL_STYLE);
  EXPECT_TRUE(foundStyle & WS_SYSMENU);
  EXPECT_FALSE(foundStyle & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
}

TEST_F(WindowLayoutTest, WindowsOpenCentredOnTheWorkArea) {
  for (Win32TopLevelWindow* window :
       {static_cast<Win32TopLevelWindow*>(&main), static_cast<Win32TopLevelWindow*>(&found)}) {
    window->SetVisible(true);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window->Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT frame{};
    GetWindowRect(window->Handle(), &frame);
    EXPECT_LE(std::abs((frame.left - monitor.rcWork.left) - (monitor.rcWork.right - frame.right)), 1);
    EXPECT_LE(std::abs((frame.top - monitor.rcWork.top) - (monitor.rcWork.bottom - frame.bottom)), 1);
  }
}

TEST_F(WindowLayoutTest, TitleInItsOwnFontAndEveryOtherControlInTheDialogFont) {
  const UINT dpi = WindowDpi(main.Handle());
  const LOGFONTW title = FontOf(main.Control("lblTitle"));
  EXPECT_STREQ(title.lfFaceName, L"MS Sans Serif");
  EXPECT_EQ(title.lfWeight, FW_BOLD);
  EXPECT_EQ(title.lfHeight, -MulDiv(18, static_cast<int>(dpi), 72));
  const LONG_PTR titleStyle = GetWindowLongPtrW(main.Control("lblTitle"), GWL_STYLE);
  EXPECT_EQ(titleStyle & SS_TYPEMASK, SS_CENTER);
  EXPECT_TRUE(titleStyle & WS_BORDER);

  for (const char* name :
       {"cmdExit", "cmdSearch", "frmeSearchDrives", "optFolder", "Drive1", "optDrive", "optSearchAll"}) {
    const LOGFONTW font = FontOf(main.Control(name));
    EXPECT_STREQ(font.lfFaceName, L"MS Shell Dlg 2") << name;
    EXPECT_EQ(font.lfHeight, -MulDiv(8, static_cast<int>(dpi), 72)) << name;
  }
  for (const char* name : {"List1", "lblFound", "Text3", "lblFiles", "cmdDelete", "cmdClose", "txtSizeSummary"}) {
    EXPECT_STREQ(FontOf(found.Control(name)).lfFaceName, L"MS Shell Dlg 2") << name;
  }
}

TEST_F(WindowLayoutTest, ControlsStartAsDesigned) {
  EXPECT_FALSE(main.Visible());
  EXPECT_FALSE(found.Visible());
  EXPECT_EQ(SendMessageW(main.Control("optSearchAll"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(main.Control("optDrive"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(main.Control("optFolder"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_FALSE(IsWindowEnabled(main.Control("Drive1")));
  EXPECT_TRUE(IsWindowEnabled(main.Control("cmdSearch")));
  EXPECT_FALSE(GetWindowLongPtrW(main.Control("ProgressBar1"), GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(SendMessageW(main.Control("ProgressBar1"), PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(SendMessageW(main.Control("ProgressBar1"), PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(SendMessageW(main.Control("ProgressBar1"), PBM_GETPOS, 0, 0), 0);

  HWND list = found.Control("List1");
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 0);
  const LONG_PTR listStyle = GetWindowLongPtrW(list, GWL_STYLE);
  EXPECT_FALSE(listStyle & (LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
  EXPECT_TRUE(listStyle & LBS_NOTIFY);
  const LONG_PTR countStyle = GetWindowLongPtrW(found.Control("Text3"), GWL_STYLE);
  EXPECT_FALSE(countStyle & (ES_READONLY | ES_MULTILINE));
  EXPECT_EQ(GetWindowLongPtrW(found.Control("lblFound"), GWL_STYLE) & SS_TYPEMASK, SS_RIGHT);
}

TEST_F(WindowLayoutTest, CountBoxDrawsItsTextInRed) {
  HDC dc = CreateCompatibleDC(nullptr);
  SendMessageW(found.Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(found.Control("Text3")));
  EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
  DeleteDC(dc);
}

}  // namespace
}  // namespace dustvane::testing
