#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct IAccPropServices;

namespace dustvane {

// Names a screen reader speaks for a window's controls whose own text does
// not say what they are (a list box, a count box, a drop-down list, a
// progress bar), given through the system's Dynamic Annotation: the name
// property of the control's accessible object. Where the system offers no
// annotation, the controls keep the names Windows gives them by default.
class Win32AccessibleNames {
 public:
  Win32AccessibleNames() = default;
  ~Win32AccessibleNames();
  Win32AccessibleNames(const Win32AccessibleNames&) = delete;
  Win32AccessibleNames& operator=(const Win32AccessibleNames&) = delete;

  // `name` is UTF-8.
  void Give(HWND control, const std::string& name);
  // Takes the names back, as the system wants before the controls go.
  void Clear();

 private:
  IAccPropServices* services_ = nullptr;
  bool startedCom_ = false;
  std::vector<HWND> named_;
};

}  // namespace dustvane
