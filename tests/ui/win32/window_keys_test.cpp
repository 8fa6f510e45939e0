// The keyboard of both windows: Tab by tab order, the arrow keys within the
// options, Alt and a letter for the access keys, Enter and Esc pressing
// nothing; and the frames' close controls. What clicks and ticks reach is
// in wiring_test.cpp.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/ui/win32/window_test_support.h"
#include "ui/win32/found_window.h"
#include "ui/win32/main_window.h"

namespace dustvane::testing {
namespace {

class WindowKeysTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitControls(); }

  // The controls that take the focus, one Tab after another, from `start`.
  std::vector<std::string> TabStops(Win32TopLevelWindow& window, const char* start, size_t count,
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

  WindowsContext w;
  Win32MainWindow main{w.context};
  Win32FoundWindow& found = *main.Found();
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
  EXPECT_TRUE(IsWindowEnabled(main.Control("Drive1")));  // optDrive_Click ran
}

TEST_F(WindowKeysTest, AltAndALetterPressesTheButtonWithThatAccessKey) {
  main.SetVisible(true);
  SetFocus(main.Control("optSearchAll"));
  DialogKey(main.Handle(), main.Control("optSearchAll"), WM_SYSCHAR, L's');
  EXPECT_TRUE(found.Visible());  // the search ran and showed its results
  SetFocus(found.Control("List1"));
  DialogKey(found.Handle(), found.Control("List1"), WM_SYSCHAR, L'd');
  EXPECT_EQ(w.messages.texts.size(), 1u);  // no line selected: nothing to delete
  DialogKey(found.Handle(), found.Control("List1"), WM_SYSCHAR, L'c');
  EXPECT_FALSE(found.Visible());
  SetFocus(main.Control("optSearchAll"));
  DialogKey(main.Handle(), main.Control("optSearchAll"), WM_SYSCHAR, L'e');
  EXPECT_EQ(w.programEnded, 1);
}

TEST_F(WindowKeysTest, EnterAndEscPressNoButton) {
  main.SetVisible(true);
  SetFocus(main.Control("optSearchAll"));
  DialogKey(main.Handle(), main.Control("optSearchAll"), WM_KEYDOWN, VK_RETURN);
  DialogKey(main.Handle(), main.Control("optSearchAll"), WM_KEYDOWN, VK_ESCAPE);
  EXPECT_FALSE(found.Visible());
  found.SetVisible(true);
  SetFocus(found.Control("List1"));
  DialogKey(found.Handle(), found.Control("List1"), WM_KEYDOWN, VK_RETURN);
  DialogKey(found.Handle(), found.Control("List1"), WM_KEYDOWN, VK_ESCAPE);
  EXPECT_TRUE(found.Visible());
  EXPECT_TRUE(w.messages.texts.empty());
  EXPECT_EQ(w.programEnded, 0);
}

TEST_F(WindowKeysTest, FrameCloseControlsExitAndHide) {
  found.SetVisible(true);
  SendMessageW(found.Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(found.Visible());
  EXPECT_TRUE(IsWindow(found.Handle()));
  SendMessageW(main.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(w.programEnded, 1);
  EXPECT_TRUE(IsWindow(main.Handle()));
}

}  // namespace
}  // namespace dustvane::testing
