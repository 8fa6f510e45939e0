#include "ui/frmFound.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

#include "ui/qt/widget_makers.h"
#include "ui/report_failure.h"
#include "ui/window_geometry.h"

namespace dustvane {

frmFound::frmFound(AppContext& context) : QWidget(nullptr), context_(context) {
  // The designed client area is 6720 x 5040 twips; the summary line below
  // the bottom row makes it taller by one row.
  SetUpWindow(*this, "frmFound", QStringLiteral("Found"), FromTwips(0, 0, 6720, 5490).size(),
              Qt::WindowCloseButtonHint);
  CreateControls();
}

void frmFound::CreateControls() {
  List1 = new QListView(this);
  List1->setObjectName("List1");
  List1->setGeometry(FromTwips(120, 120, 6495, 4350));
  List1->setModel(&lines_);
  List1->setSelectionMode(QAbstractItemView::SingleSelection);
  List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Every line is one text line high, so the view need not measure 32,767
  // lines one by one.
  List1->setUniformItemSizes(true);
  List1->setTextElideMode(Qt::ElideNone);
  List1->setAccessibleName(QStringLiteral("Files found"));

  lblFound = MakeLabel(this, "lblFound", QStringLiteral("Found"), FromTwips(120, 4560, 615, 255));
  lblFound->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  Text3 = new QLineEdit(this);
  Text3->setObjectName("Text3");
  Text3->setGeometry(FromTwips(840, 4560, 735, 285));
  QPalette red = Text3->palette();
  red.setColor(QPalette::Text, QColor(255, 0, 0));
  Text3->setPalette(red);
  Text3->setAccessibleName(QStringLiteral("Number of files found"));

  lblFiles = MakeLabel(this, "lblFiles", QStringLiteral("files"), FromTwips(1680, 4560, 495, 255));
  cmdDelete = MakeButton(this, "cmdDelete", QStringLiteral("&Delete"), FromTwips(3360, 4560, 1215, 375));
  cmdClose = MakeButton(this, "cmdClose", QStringLiteral("&Close"), FromTwips(5640, 4560, 975, 375));

  // The size summary of a local-disk search, on its own line along the bottom.
  txtSizeSummary = new QLineEdit(this);
  txtSizeSummary->setObjectName("txtSizeSummary");
  txtSizeSummary->setGeometry(FromTwips(120, 5040, 6495, 315));
  txtSizeSummary->setReadOnly(true);
  txtSizeSummary->setFrame(false);
  txtSizeSummary->setFocusPolicy(Qt::ClickFocus);
  QPalette flat = txtSizeSummary->palette();
  flat.setColor(QPalette::Base, palette().color(QPalette::Window));
  txtSizeSummary->setPalette(flat);
  txtSizeSummary->setAccessibleName(QStringLiteral("Size of files found"));

  setTabOrder(List1, Text3);
  setTabOrder(Text3, cmdDelete);
  setTabOrder(cmdDelete, cmdClose);
  List1->setFocus();

  connect(cmdDelete, &QPushButton::clicked, this, &frmFound::cmdDelete_Click);
  connect(cmdClose, &QPushButton::clicked, this, &frmFound::cmdClose_Click);
}

void frmFound::SetCountText(const QString& text) { Text3->setText(text); }

void frmFound::SetSizeSummary(const QString& text) {
  txtSizeSummary->setText(text);
  txtSizeSummary->setCursorPosition(0);
}

void frmFound::SetVisible(bool visible) {
  if (visible && !shownBefore_) {
    CentreOnScreen(*this);
    shownBefore_ = true;
  }
  setVisible(visible);
}

PathString frmFound::SelectedPath() const {
  const QModelIndexList selected = List1->selectionModel()->selectedIndexes();
  if (selected.isEmpty()) return PathString();
  return lines_.Line(selected.first().row());
}

void frmFound::cmdDelete_Click() {
  // The stored bytes, never the shown text: two names can look alike on screen.
  if (MaybeFailure failure = context_.fileSystem.RemoveFile(SelectedPath())) {
    ReportFailure(context_.messages, *failure, kProgramTitle);
  }
}

void frmFound::cmdClose_Click() { SetVisible(false); }

void frmFound::closeEvent(QCloseEvent* event) {
  // The frame's close control hides the window as Close does.
  event->ignore();
  cmdClose_Click();
}

}  // namespace dustvane
