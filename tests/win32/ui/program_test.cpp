// The program's controls reach the handlers written once for every toolkit:
// one run through both windows, clicked as a user clicks them.

#include "ui/win32/program.h"

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include "tests/support/fake_file_system.h"
#include "tests/win32/ui/window_test_support.h"

namespace dustvane::testing {
namespace {

TEST(ProgramTest, ControlsAreWiredToTheirHandlers) {
  InitControls();
  FakeFileSystem fs;
  fs.AddFolder(P("/r"));
  fs.AddFile(P("/r/a.tmp"), 3);
  fs.AddFile(P("/r/b.tmp"), 1200);
  RecordingMessages messages;
  bool ended = false;
  AppContext context{fs, messages, P("/r"), {L"C:\\"}, L"C:\\", [&ended] { ended = true; }, "."};
  win32::Program program(context);
  win32::MainWindow& main = program.Window();

  SendMessageW(main.Control("optDrive"), BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(main.Control("Drive1")));
  SendMessageW(main.Control("optSearchAll"), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowEnabled(main.Control("Drive1")));

  SendMessageW(main.Control("cmdSearch"), BM_CLICK, 0, 0);
  EXPECT_EQ(Text(main.Control("cmdSearch")), L"...Searching...");
  HWND found = FindWindowW(L"DustvaneFound", L"Found");
  ASSERT_NE(found, nullptr);
  EXPECT_TRUE(IsWindowVisible(found));
  HWND list = FindWindowExW(found, nullptr, L"LISTBOX", nullptr);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
  HWND count = FindWindowExW(found, nullptr, L"EDIT", nullptr);
  EXPECT_EQ(Text(count), L"2");
  HWND summary = FindWindowExW(found, count, L"EDIT", nullptr);
  EXPECT_EQ(Text(summary), L"Size of files found under \\r\\ = 1.203 Bytes");

  SendMessageW(main.Handle(), WM_TIMER, 1, 0);
  EXPECT_EQ(Text(main.Control("cmdSearch")), L"Search For Temporary Files");
  EXPECT_TRUE(IsWindowEnabled(main.Control("cmdSearch")));

  SendMessageW(list, LB_SETCURSEL, 1, 0);
  SendMessageW(FindWindowExW(found, nullptr, L"BUTTON", L"&Delete"), BM_CLICK, 0, 0);
  EXPECT_TRUE(fs.Exists(P("/r/a.tmp")));
  EXPECT_FALSE(fs.Exists(P("/r/b.tmp")));

  SendMessageW(FindWindowExW(found, nullptr, L"BUTTON", L"&Close"), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowVisible(found));

  SendMessageW(main.Control("cmdExit"), BM_CLICK, 0, 0);
  EXPECT_TRUE(ended);
  EXPECT_TRUE(messages.texts.empty());
}

}  // namespace
}  // namespace dustvane::testing
