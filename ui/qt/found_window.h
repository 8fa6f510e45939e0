#pragma once

#include <QWidget>
#include <memory>

#include "ui/app_context.h"
#include "ui/controls.h"
#include "ui/frmFound.h"

class QLabel;

namespace dustvane {

class QtButton;
class QtTextBox;
class ResultsListView;

// The results window in Qt widgets: List1, the count box Text3 with its
// labels, the delete and close buttons, and the size summary on a line of
// its own below them, wired to the window's handlers.
class QtFoundWindow final : public QWidget, public WindowControl, public FoundWindow {
 public:
  explicit QtFoundWindow(AppContext& context);
  ~QtFoundWindow() override;

  frmFound& Form() override { return *form_; }
  const ResultsListView& List() const { return *List1; }

  bool Visible() const override { return isVisible(); }
  void SetVisible(bool visible) override;
  void PaintNow() override { repaint(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();

  bool shownBefore_ = false;
  ResultsListView* List1 = nullptr;
  QLabel* lblFound = nullptr;
  QtTextBox* Text3 = nullptr;
  QLabel* lblFiles = nullptr;
  QtButton* cmdDelete = nullptr;
  QtButton* cmdClose = nullptr;
  QtTextBox* txtSizeSummary = nullptr;
  std::unique_ptr<frmFound> form_;
};

}  // namespace dustvane
