#pragma once

#include <QWidget>
#include <memory>

#include "ui/app_context.h"
#include "ui/controls.h"
#include "ui/frmFound.h"

namespace dustvane {

class QtButton;
class QtSummaryLine;
class QtTextBox;
class QtResultsList;

// The results window in Qt widgets, built from its description: List1, the
// count box Text3 with its labels, the delete and close buttons, and the
// size summary on a line of its own below them, wired to the window's
// handlers.
class QtFoundWindow final : public QWidget, public WindowControl {
 public:
  explicit QtFoundWindow(AppContext& context);
  ~QtFoundWindow() override;

  frmFound& Form() { return *form_; }
  const QtResultsList& List() const { return *List1; }

  bool Visible() const override { return isVisible(); }
  void SetVisible(bool visible) override;
  void PaintNow() override { repaint(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Wire();

  bool shownBefore_ = false;
  QtResultsList* List1 = nullptr;
  QtTextBox* Text3 = nullptr;
  QtSummaryLine* txtSizeSummary = nullptr;
  QtButton* cmdDelete = nullptr;
  QtButton* cmdClose = nullptr;
  std::unique_ptr<frmFound> form_;
};

}  // namespace dustvane
