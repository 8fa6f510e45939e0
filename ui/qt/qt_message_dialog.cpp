#include "ui/qt/qt_message_dialog.h"

#include <QMessageBox>
#include <QPushButton>

namespace dustvane {

MaybeFailure QtMessageDialog::Show(const std::string& text, const std::string& title) {
  QMessageBox box;
  box.setObjectName("MessageBox");
  box.setWindowTitle(QString::fromStdString(title));
  box.setTextFormat(Qt::PlainText);
  box.setText(QString::fromStdString(text));
  box.setIcon(QMessageBox::NoIcon);
  box.setStandardButtons(QMessageBox::Ok);
  // Some styles put a picture on standard buttons; this box shows no icon at all.
  box.button(QMessageBox::Ok)->setIcon(QIcon());
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
  return std::nullopt;
}

}  // namespace dustvane
