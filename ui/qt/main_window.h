#pragma once

#include <QWidget>
#include <memory>

#include "ui/app_context.h"
#include "ui/controls.h"
#include "ui/frmMain.h"
#include "ui/qt/qt_controls.h"

namespace dustvane {

class QtActivityBar;
class QtDriveList;
class QtFoundWindow;

// The main window in Qt widgets, built from its description: the title, the
// search scope in its frame, the search and exit buttons, the activity bar
// and its timer, wired to the window's handlers. It owns the results
// window, which the handlers have made the first time they touch it.
class QtMainWindow final : public QWidget, public WindowControl {
 public:
  explicit QtMainWindow(AppContext& context);
  ~QtMainWindow() override;

  frmMain& Form() { return *form_; }
  // The results window, made (hidden) if it was not yet; null when it
  // cannot be made.
  QtFoundWindow* Found();

  bool Visible() const override { return isVisible(); }
  void SetVisible(bool visible) override { setVisible(visible); }
  void PaintNow() override { repaint(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Wire();

  QtScreenPointer pointer_;
  QtButton* cmdSearch = nullptr;
  QtButton* cmdExit = nullptr;
  QtOption* optSearchAll = nullptr;
  QtOption* optDrive = nullptr;
  QtDriveList* Drive1 = nullptr;
  QtActivityBar* ProgressBar1 = nullptr;
  QtTimer* tmrAnimation = nullptr;
  std::unique_ptr<QtFoundWindow> found_;
  std::unique_ptr<frmMain> form_;
};

}  // namespace dustvane
