// Each window's controls reach the handlers written once for every toolkit:
// one run through both windows, clicked as a user clicks them; and a results
// window the system cannot make.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/ui/win32/window_test_support.h"
#include "ui/win32/found_window.h"
#include "ui/win32/main_window.h"

namespace dustvane::testing {
namespace {

class WiringTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitControls(); }
};

TEST_F(WiringTest, ControlsReachTheirHandlers) {
  WindowsContext w;
  w.fileSystem.AddFile(P("/r/a.tmp"), 3);
  w.fileSystem.AddFile(P("/r/b.tmp"), 1200);
  w.context.thousandsSeparator = std::string(1, '.');
  Win32MainWindow main(w.context);

  SendMessageW(main.Control("optDrive"), BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(main.Control("Drive1")));
  SendMessageW(main.Control("optSearchAll"), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowEnabled(main.Control("Drive1")));

  SendMessageW(main.Control("cmdSearch"), BM_CLICK, 0, 0);
  EXPECT_EQ(Text(main.Control("cmdSearch")), L"...Searching...");
  Win32FoundWindow& found = *main.Found();
  EXPECT_TRUE(IsWindowVisible(found.Handle()));
  HWND list = found.Control("List1");
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(Text(found.Control("Text3")), L"2");
  EXPECT_EQ(Text(found.Control("txtSizeSummary")), L"Size of files found under \\r\\ = 1.203 Bytes");

  SendMessageW(main.Handle(), WM_TIMER, 1, 0);
  EXPECT_EQ(Text(main.Control("cmdSearch")), L"Search For Temporary Files");
  EXPECT_TRUE(IsWindowEnabled(main.Control("cmdSearch")));

  SendMessageW(list, LB_SETCURSEL, 1, 0);
  SendMessageW(found.Control("cmdDelete"), BM_CLICK, 0, 0);
  EXPECT_TRUE(w.fileSystem.Exists(P("/r/a.tmp")));
  EXPECT_FALSE(w.fileSystem.Exists(P("/r/b.tmp")));

  SendMessageW(found.Control("cmdClose"), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowVisible(found.Handle()));

  SendMessageW(main.Control("cmdExit"), BM_CLICK, 0, 0);
  EXPECT_EQ(w.programEnded, 1);
  EXPECT_TRUE(w.messages.texts.empty());
}

// While it lives, the system refuses to make the next window of the given
// class on this thread, as it does in a session out of window resources.
class RefusedWindow {
 public:
  explicit RefusedWindow(const wchar_t* windowClass) {
    refused_ = windowClass;
    hook_ = SetWindowsHookExW(WH_CBT, &Refuse, nullptr, GetCurrentThreadId());
  }
  ~RefusedWindow() { UnhookWindowsHookEx(hook_); }
  RefusedWindow(const RefusedWindow&) = delete;
  RefusedWindow& operator=(const RefusedWindow&) = delete;

 private:
  static LRESULT CALLBACK Refuse(int code, WPARAM wParam, LPARAM lParam) {
    wchar_t windowClass[64] = {};
    if (code == HCBT_CREATEWND && refused_ && GetClassNameW(reinterpret_cast<HWND>(wParam), windowClass, 64) &&
        lstrcmpiW(windowClass, refused_) == 0) {
      refused_ = nullptr;
      return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline const wchar_t* refused_ = nullptr;
  HHOOK hook_;
};

TEST_F(WiringTest, AResultsWindowTheSystemCannotMakeEndsTheSearchWithAMessageAndIdle) {
  // The results window itself, or one of its controls (then none of it stays).
  for (const wchar_t* refused : {L"DustvaneFound", L"Edit"}) {
    SCOPED_TRACE(refused);
    WindowsContext w;
    w.fileSystem.AddFile(P("/r/a.tmp"), 3);
    Win32MainWindow main(w.context);
    HWND search = main.Control("cmdSearch");
    {
      RefusedWindow refuse(refused);
      SendMessageW(search, BM_CLICK, 0, 0);
      ASSERT_EQ(w.messages.titles, std::vector<std::string>{"Unexpected Error"});
      EXPECT_EQ(w.messages.texts[0].substr(0, 7), "Error: ");
      EXPECT_TRUE(IsWindowEnabled(search));
      EXPECT_EQ(Text(search), L"Search For Temporary Files");
      EXPECT_FALSE(IsWindowVisible(main.Control("ProgressBar1")));
      EXPECT_TRUE(w.fileSystem.EnumFirstCalls().empty());
      SendMessageW(main.Handle(), WM_TIMER, 1, 0);  // a tick tries again, quietly
      EXPECT_EQ(w.messages.texts.size(), 1u);
    }
    // Once the system can make it again, the next search has its window.
    SendMessageW(search, BM_CLICK, 0, 0);
    ASSERT_NE(main.Found(), nullptr);
    EXPECT_TRUE(main.Found()->Visible());
    EXPECT_EQ(SendMessageW(main.Found()->Control("List1"), LB_GETCOUNT, 0, 0), 1);
  }
}

}  // namespace
}  // namespace dustvane::testing
