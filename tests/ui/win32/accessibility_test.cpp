// A screen reader must be able to speak every control of both windows that
// takes the focus or shows something, by the names their descriptions give
// them, read back as a screen reader reads them (AccessibleObjectFromWindow).

#include <gtest/gtest.h>
#include <oleacc.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>

#include "search/win32/wide_text.h"
#include "tests/ui/win32/window_test_support.h"
#include "ui/found_window_description.h"
#include "ui/main_window_description.h"
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
    Win32AccessibleNames names;
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

// What a screen reader should say for a control: the name its description
// gives it, or else its caption without the access key's mark.
std::string SpokenAs(const ControlDescription& control) {
  if (!control.accessibleName.empty()) return std::string(control.accessibleName);
  std::string caption(control.caption);
  if (const size_t mark = caption.find('&'); mark != std::string::npos) caption.erase(mark, 1);
  return caption;
}

TEST_F(AccessibilityTest, EveryControlIsSpokenAsItsDescriptionSays) {
  WindowsContext w;
  Win32MainWindow main(w.context);
  Win32FoundWindow& found = *main.Found();
  const bool keepsAnnotations = KeepsAnnotatedNames();
  const std::pair<Win32TopLevelWindow*, const WindowDescription*> windows[] = {{&main, &kMainWindowDescription},
                                                                              {&found, &kFoundWindowDescription}};
  for (auto [window, description] : windows) {
    for (const ControlDescription& control : description->controls) {
      const std::wstring spoken = SpokenName(window->Control(control.name));
      // Named through Dynamic Annotation, not by its caption.
      if (!control.accessibleName.empty() && !keepsAnnotations) {
        std::printf("not checkable here: %s would be spoken as \"%s\"; this system says \"%s\"\n",
                    std::string(control.name).c_str(), SpokenAs(control).c_str(), Utf8FromWide(spoken).c_str());
        continue;
      }
      EXPECT_EQ(Utf8FromWide(spoken), SpokenAs(control)) << control.name;
    }
  }
}

}  // namespace
}  // namespace dustvane::testing
