#pragma once

#include <QWidget>
#include <memory>

#include "ui/app_context.h"
#include "ui/controls.h"
#include "ui/frmMain.h"
#include "ui/qt/qt_controls.h"

class QGroupBox;
class QLabel;

namespace dustvane {

class ActivityBar;
class DriveListBox;
class QtFoundWindow;

// The main window in Qt widgets: the title, the search scope in its frame,
// the search and exit buttons, the activity bar and its timer, wired to the
// window's handlers. The results window is made the first time the handlers
// touch it.
class QtMainWindow final : public QWidget, public WindowControl {
 public:
  explicit QtMainWindow(AppContext& context);
  ~QtMainWindow() override;

  frmMain& Form() { return *form_; }
  // The results window, made (hidden) if it was not yet.
  QtFoundWindow& Found();

  bool Visible() const override { return isVisible(); }
  void SetVisible(bool visible) override { setVisible(visible); }
  void PaintNow() override { repaint(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls(AppContext& context);
  void Wire();

  QtScreenPointer pointer_;
  QtFoundWindow* found_ = nullptr;  // owned by form_

  QtButton* cmdExit = nullptr;
  QtButton* cmdSearch = nullptr;
  QGroupBox* frmeSearchDrives = nullptr;
  QtOption* optFolder = nullptr;
  DriveListBox* Drive1 = nullptr;
  QtOption* optDrive = nullptr;
  QtOption* optSearchAll = nullptr;
  QtTimer* tmrAnimation = nullptr;
  ActivityBar* ProgressBar1 = nullptr;
  QLabel* lblTitle = nullptr;
  std::unique_ptr<frmMain> form_;
};

}  // namespace dustvane
