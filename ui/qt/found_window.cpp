#include "ui/qt/found_window.h"

#include <QCloseEvent>
#include <QLabel>

#include "ui/control_names.h"
#include "ui/qt/qt_controls.h"
#include "ui/qt/results_list_view.h"
#include "ui/qt/widget_makers.h"
#include "ui/qt/window_geometry.h"

namespace dustvane {

QtFoundWindow::QtFoundWindow(AppContext& context) : QWidget(nullptr) {
  // The designed client area is 6720 x 5040 twips; the summary line below
  // the bottom row makes it taller by one row.
  SetUpWindow(*this, "frmFound", QStringLiteral("Found"), FromTwips(0, 0, 6720, 5490).size(),
              Qt::WindowCloseButtonHint);
  CreateControls();
  form_ = std::make_unique<frmFound>(context, FoundWindowControls{*this, *List1, *Text3, *txtSizeSummary});
  connect(cmdDelete, &QPushButton::clicked, this, [this] { form_->cmdDelete_Click(); });
  connect(cmdClose, &QPushButton::clicked, this, [this] { form_->cmdClose_Click(); });
}

QtFoundWindow::~QtFoundWindow() = default;

void QtFoundWindow::CreateControls() {
  List1 = new ResultsListView(this);
  List1->setObjectName("List1");
  List1->setGeometry(FromTwips(120, 120, 6495, 4350));
  List1->setAccessibleName(QString::fromUtf8(kList1Name));

  lblFound = MakeLabel(this, "lblFound", QStringLiteral("Found"), FromTwips(120, 4560, 615, 255));
  lblFound->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  Text3 = new QtTextBox(this, false);
  Text3->setObjectName("Text3");
  Text3->setGeometry(FromTwips(840, 4560, 735, 285));
  QPalette red = Text3->palette();
  red.setColor(QPalette::Text, QColor(255, 0, 0));
  Text3->setPalette(red);
  Text3->setAccessibleName(QString::fromUtf8(kText3Name));

  lblFiles = MakeLabel(this, "lblFiles", QStringLiteral("files"), FromTwips(1680, 4560, 495, 255));
  cmdDelete = MakeButton(this, "cmdDelete", QStringLiteral("&Delete"), FromTwips(3360, 4560, 1215, 375));
  cmdClose = MakeButton(this, "cmdClose", QStringLiteral("&Close"), FromTwips(5640, 4560, 975, 375));

  // The size summary of a local-disk search, on its own line along the bottom.
  txtSizeSummary = new QtTextBox(this, true);
  txtSizeSummary->setObjectName("txtSizeSummary");
  txtSizeSummary->setGeometry(FromTwips(120, 5040, 6495, 315));
  txtSizeSummary->setReadOnly(true);
  txtSizeSummary->setFrame(false);
  txtSizeSummary->setFocusPolicy(Qt::ClickFocus);
  QPalette flat = txtSizeSummary->palette();
  flat.setColor(QPalette::Base, palette().color(QPalette::Window));
  txtSizeSummary->setPalette(flat);
  txtSizeSummary->setAccessibleName(QString::fromUtf8(kSizeSummaryName));

  setTabOrder(List1, Text3);
  setTabOrder(Text3, cmdDelete);
  setTabOrder(cmdDelete, cmdClose);
  List1->setFocus();
}

void QtFoundWindow::SetVisible(bool visible) {
  if (visible && !shownBefore_) {
    CentreOnScreen(*this);
    shownBefore_ = true;
  }
  setVisible(visible);
}

void QtFoundWindow::closeEvent(QCloseEvent* event) {
  // The frame's close control hides the window as Close does.
  event->ignore();
  form_->cmdClose_Click();
}

}  // namespace dustvane
