// window-text TITLE: prints, in UTF-8, what the visible top-level window of
// that title shows, read with window messages as any other program could:
//   control <name> <class> <id> <enabled 0|1> <visible 0|1> <x> <y> <w> <h> <text>
// where the name is the one the windows' descriptions give the control of
// that id ("-" for a control of no description, as in a message box), and
// x, y, w and h place the control on the screen (under Wine, the X screen's
// own coordinates).
//   line <text>                      one for each line of a list box
//   selected <index>                 after them: the selected line, from 0; -1 for none
// The end-to-end test reads the program's windows back with it.

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "search/win32/wide_text.h"
#include "ui/found_window_description.h"
#include "ui/main_window_description.h"

namespace {

std::wstring TextOf(HWND window) {
  // WM_GETTEXT, not GetWindowText: it reads controls of another process too.
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got));
  return text;
}

void PrintListLines(HWND list) {
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    if (length == LB_ERR) continue;
    std::wstring line(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
    line.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
    std::printf("line %s\n", dustvane::Utf8FromWide(line).c_str());
  }
  std::printf("selected %ld\n", static_cast<long>(SendMessageW(list, LB_GETCURSEL, 0, 0)));
}

// The program's numbers are its own across both windows.
std::string NameOf(int id) {
  for (const dustvane::WindowDescription* window : {&dustvane::kMainWindowDescription, &dustvane::kFoundWindowDescription}) {
    if (const dustvane::ControlDescription* control = window->WithCommandId(id)) return std::string(control->name);
  }
  return "-";
}

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
  wchar_t className[64] = {};
  GetClassNameW(control, className, 64);
  RECT box{};
  GetWindowRect(control, &box);
  std::printf("control %s %s %d %d %d %ld %ld %ld %ld %s\n", NameOf(GetDlgCtrlID(control)).c_str(),
              dustvane::Utf8FromWide(className).c_str(), GetDlgCtrlID(control),
              IsWindowEnabled(control) ? 1 : 0, IsWindowVisible(control) ? 1 : 0, box.left, box.top,
              box.right - box.left, box.bottom - box.top, dustvane::Utf8FromWide(TextOf(control)).c_str());
  if (lstrcmpiW(className, L"ListBox") == 0) PrintListLines(control);
  return TRUE;
}

struct Search {
  const wchar_t* title;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  if (IsWindowVisible(window) && TextOf(window) == search->title) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 2) {
    std::fprintf(stderr, "usage: window-text TITLE\n");
    return 2;
  }
  Search search{argv[1], nullptr};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) {
    std::fprintf(stderr, "window-text: no visible window of that title\n");
    return 1;
  }
  EnumChildWindows(search.found, PrintControl, 0);
  return 0;
}
