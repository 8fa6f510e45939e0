// The keyboard of both windows: Tab by tab order, the arrow keys within the
// options, Alt and a letter for the access keys, Enter and Esc pressing
// nothing; and the frames' close controls. What clicks and ticks reach is
// in program_test.cpp.

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "tests/win32/ui/window_test_support.h"
#include "ui/win32/found_window.h"
#include "ui/win32/main_window.h"

namespace dustvane::testing {
namespace {

using win32::FoundWindow;
using win32::MainWindow;

class WindowKeysTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitControls(); }

  void SetUp() override {
    win32::MainWindowHandlers mainHandlers;
    mainHandlers.cmdSearch_Click = Counter("cmdSearch_Click");
    mainHandlers.tmrAnimation_Timer = Counter("tmrAnimation_Timer");
    mainHandlers.optSearchAll_Click = Counter("optSearchAll_Click");
    mainHandlers.optDrive_Click = Counter("optDrive_Click");
    mainHandlers.cmdExit_Click = Counter("cmdExit_Click");
    main.Connect(std::move(mainHandlers));
    win32::FoundWindowHandlers foundHandlers;
    foundHandlers.cmdDelete_Click = Counter("cmdDelete_Click");
    foundHandlers.cmdClose_Click = Counter("cmdClose_Click");
    found.Connect(std::move(foundHandlers));
  }

  std::function<void()> Counter(const std::string& name) {
    return [this, name] { ++calls[name]; };
  }

  // The controls that take the focus, one Tab after another, from `start`.
  std::vector<std::string> TabStops(win32::TopLevelWindow& window, const char* start, size_t count,
                                    const std::vector<const char*>& names, bool backwards = false) {
    window.SetVisible(true);
    SetForegroundWindow(window.Handle());
    SetFocus(window.Control(start));
    std::vector<std::string> stops;
    for (size_t i = 0; i < count; ++i) {
      window.MoveFocus(backwards);
      std::string stop = "?";
      for (const char* name : names) {
        if (GetFocus() == window.Control(name)) stop = name;
      }
      stops.push_back(stop);
    }
    return stops;
  }

  std::map<std::string, int> calls;
  MainWindow main{{L"C:\\"}, L"C:\\users"};
  FoundWindow found;
};

const std::vector<const char*> kMainFocusable = {"optSearchAll", "optDrive",  "Drive1",
                                                 "cmdSearch",    "optFolder", "cmdExit"};

TEST_F(WindowKeysTest, TabFollowsTabIndexOverWhatCanTakeTheFocus) {
  // Only the selected option is a stop, and the drive list only when enabled.
  EXPECT_EQ(TabStops(main, "optSearchAll", 3, kMainFocusable),
            (std::vector<std::string>{"cmdSearch", "cmdExit", "optSearchAll"}));
  EXPECT_EQ(TabStops(main, "optSearchAll", 3, kMainFocusable, true),
            (std::vector<std::string>{"cmdExit", "cmdSearch", "optSearchAll"}));

  SendMessageW(main.Control("optFolder"), BM_CLICK, 0, 0);
  EnableWindow(main.Control("Drive1"), TRUE);
  EXPECT_EQ(TabStops(main, "optFolder", 4, kMainFocusable),
            (std::vector<std::string>{"cmdExit", "Drive1", "cmdSearch", "optFolder"}));

  EXPECT_EQ(TabStops(found, "List1", 4, {"List1", "Text3", "cmdDelete", "cmdClose", "txtSizeSummary"}),
            (std::vector<std::string>{"Text3", "cmdDelete", "cmdClose", "List1"}));
}

TEST_F(WindowKeysTest, AWindowActivatedTheFirstTimeFocusesItsFirstControlInTabOrder) {
  found.SetVisible(true);
  SendMessageW(found.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(GetFocus(), found.Control("List1"));
  main.SetVisible(true);
  SendMessageW(main.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(GetFocus(), main.Control("optSearchAll"));
}

TEST_F(WindowKeysTest, ArrowKeysMoveTheSelectionWithinTheOptions) {
  main.SetVisible(true);
  SetFocus(main.Control("optSearchAll"));
  EXPECT_TRUE(DialogKey(main.Handle(), main.Control("optSearchAll"), WM_KEYDOWN, VK_DOWN));
  EXPECT_EQ(GetFocus(), main.Control("optDrive"));
  EXPECT_EQ(SendMessageW(main.Control("optDrive"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(main.Control("optSearchAll"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(calls["optDrive_Click"], 1);
}

TEST_F(WindowKeysTest, AltAndALetterPressesTheButtonWithThatAccessKey) {
  main.SetVisible(true);
  SetFocus(main.Control("optSearchAll"));
  DialogKey(main.Handle(), main.Control("optSearchAll"), WM_SYSCHAR, L'e');
  DialogKey(main.Handle(), main.Control("optSearchAll"), WM_SYSCHAR, L's');
  found.SetVisible(true);
  SetFocus(found.Control("List1"));
  DialogKey(found.Handle(), found.Control("List1"), WM_SYSCHAR, L'd');
  DialogKey(found.Handle(), found.Control("List1"), WM_SYSCHAR, L'c');
  EXPECT_EQ(calls, (std::map<std::string, int>{
                       {"cmdExit_Click", 1}, {"cmdSearch_Click", 1}, {"cmdDelete_Click", 1}, {"cmdClose_Click", 1}}));
}

TEST_F(WindowKeysTest, EnterAndEscPressNoButton) {
  main.SetVisible(true);
  SetFocus(main.Control("optSearchAll"));
  DialogKey(main.Handle(), main.Control("optSearchAll"), WM_KEYDOWN, VK_RETURN);
  DialogKey(main.Handle(), main.Control("optSearchAll"), WM_KEYDOWN, VK_ESCAPE);
  found.SetVisible(true);
  SetFocus(found.Control("List1"));
  DialogKey(found.Handle(), found.Control("List1"), WM_KEYDOWN, VK_RETURN);
  DialogKey(found.Handle(), found.Control("List1"), WM_KEYDOWN, VK_ESCAPE);
  EXPECT_TRUE(calls.empty());
}

TEST_F(WindowKeysTest, FrameCloseControlsExitAndHide) {
  SendMessageW(main.Handle(), WM_CLOSE, 0, 0);
  SendMessageW(found.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(calls, (std::map<std::string, int>{{"cmdExit_Click", 1}, {"cmdClose_Click", 1}}));
  EXPECT_TRUE(IsWindow(main.Handle()));
  EXPECT_TRUE(IsWindow(found.Handle()));
}

}  // namespace
}  // namespace dustvane::testing
