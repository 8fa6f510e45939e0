#pragma once

#include <QWidget>

#include "ui/app_context.h"
#include "ui/results_model.h"

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

namespace dustvane {

// The results window: the files found (List1), their number (Text3), the
// size summary of a local-disk search, and the commands to delete the file on
// the selected line or to hide the window. It is hidden, never destroyed, when
// closed, so its contents last until the next search.
class frmFound : public QWidget {
 public:
  explicit frmFound(AppContext& context);

  ResultsModel& Lines() { return lines_; }
  void SetCountText(const QString& text);
  void SetSizeSummary(const QString& text);

  bool Visible() const { return isVisible(); }
  void SetVisible(bool visible);

  // List1's Text: the exact path on the selected line, or empty with none.
  PathString SelectedPath() const;

  void cmdDelete_Click();
  void cmdClose_Click();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();

  AppContext& context_;
  ResultsModel lines_;
  bool shownBefore_ = false;

  QListView* List1 = nullptr;
  QLabel* lblFound = nullptr;
  QLineEdit* Text3 = nullptr;
  QLabel* lblFiles = nullptr;
  QPushButton* cmdDelete = nullptr;
  QPushButton* cmdClose = nullptr;
  QLineEdit* txtSizeSummary = nullptr;
};

}  // namespace dustvane
