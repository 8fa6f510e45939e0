// A screen reader must be able to speak every control of both windows that
// takes the focus or shows something, by the names the Qt windows give them,
// read back as a screen reader reads them (AccessibleObjectFromWindow).

#include <gtest/gtest.h>
#include <oleacc.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "search/win32/wide_text.h"
#include "tests/win32/ui/window_test_support.h"
#include "ui/control_names.h"
#include "ui/win32/accessible_names.h"
#include "ui/win32/found_window.h"
#include "ui/win32/main_window.h"

namespace dustvane::testing {
namespace {

// The name the system's accessibility layer gives the control, or "(none)".
std::wstring SpokenName(HWND control) {
  IAccessible* accessible = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&accessible)))) {
    return L"(no accessible object)";
  }
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  std::wstring spoken = L"(none)";
  if (accessible->get_accName(self, &name) == S_OK && name) spoken = name;
  SysFreeString(name);
  accessible->Release();
  return spoken;
}

// Whether this system keeps names given through Dynamic Annotation (Wine
// does not: its SetHwndPropStr is not implemented).
bool KeepsAnnotatedNames() {
  HWND probe = CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  bool kept = false;
  {
    win32::AccessibleNames names;
    names.Give(probe, "probe");
    kept = SpokenName(probe) == L"probe";
  }
  DestroyWindow(probe);
  return kept;
}

class AccessibilityTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitControls();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  }
  static void TearDownTestSuite() { CoUninitialize(); }
};

TEST_F(AccessibilityTest, EveryControlIsSpokenByItsQtName) {
  WindowsContext w;
  win32::Win32MainWindow main(w.context);
  win32::Win32FoundWindow& found = *main.Found();
  struct Spoken {
    win32::TopLevelWindow* window;
    const char* control;
    std::string name;
    bool annotated;  // named through Dynamic Annotation, not by its caption
  };
  const Spoken controls[] = {
      {&main, "lblTitle", "DUSTVANE", false},
      {&main, "frmeSearchDrives", "Search Drives...", false},
      {&main, "optSearchAll", "Local Hard Disk", false},
      {&main, "optDrive", "Drive:", false},
      {&main, "optFolder", "Folder", false},
      {&main, "Drive1", kDrive1Name, true},
      {&main, "cmdSearch", "Search For Temporary Files", false},
      {&main, "ProgressBar1", kProgressBar1Name, true},
      {&main, "cmdExit", "Exit", false},
      {&found, "List1", kList1Name, true},
      {&found, "lblFound", "Found", false},
      {&found, "Text3", kText3Name, true},
      {&found, "lblFiles", "files", false},
      {&found, "cmdDelete", "Delete", false},
      {&found, "cmdClose", "Close", false},
      {&found, "txtSizeSummary", kSizeSummaryName, true},
  };
  const bool keepsAnnotations = KeepsAnnotatedNames();
  for (const Spoken& c : controls) {
    const std::wstring spoken = SpokenName(c.window->Control(c.control));
    if (c.annotated && !keepsAnnotations) {
      std::printf("not checkable here: %s would be spoken as \"%s\"; this system says \"%s\"\n", c.control,
                  c.name.c_str(), Utf8FromWide(spoken).c_str());
      continue;
    }
    EXPECT_EQ(Utf8FromWide(spoken), c.name) << c.control;
  }
}

}  // namespace
}  // namespace dustvane::testing
