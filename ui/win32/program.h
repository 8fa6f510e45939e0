#pragma once

#include <memory>

#include "ui/app_context.h"
#include "ui/frmMain.h"
#include "ui/win32/main_window.h"

namespace dustvane::win32 {

// The program on Windows: the main window and its handlers, wired together;
// the results window is made, hidden, the first time anything touches it.
class Program {
 public:
  explicit Program(AppContext& context);
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  MainWindow& Window() { return window_; }
  frmMain& Form() { return *form_; }

 private:
  MainWindow window_;
  std::unique_ptr<frmMain> form_;
};

}  // namespace dustvane::win32
