#include "tests/ui/qt/window_harness.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <fcntl.h>
#include <unistd.h>

#include "ui/qt/results_list.h"

namespace dustvane::testing {

Harness::Harness()
    : fileSystem(MakeNativeFileSystem()),
      context{*fileSystem, messages, {}, {}, {}, [this] { ++programEnded; }, ","} {
  root_ = QFile::encodeName(dir.path()).toStdString();
  context.localDiskRoot = root_;
  context.drives = {root_};
  context.homeFolder = root_ + "/home";
  QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(context.homeFolder)));
}

PathString Harness::MakeFile(const std::string& relative, qint64 size) {
  const PathString path = root_ + "/" + relative;
  const size_t slash = path.rfind('/');
  QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(path.substr(0, slash))));
  const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
  if (fd < 0 || ftruncate(fd, size) != 0) qFatal("cannot make %s", path.c_str());
  close(fd);
  return path;
}

QtMainWindow& Harness::Main() {
  if (!main_) main_ = std::make_unique<QtMainWindow>(context);
  return *main_;
}

void Harness::TickByHand(int ticks) {
  Timer()->stop();
  for (int i = 0; i < ticks; ++i) Main().Form().tmrAnimation_Timer();
}

std::vector<PathString> Harness::Lines() {
  std::vector<PathString> lines;
  const QtResultsModel& model = Found().List().Model();
  for (int row = 0; row < model.rowCount(); ++row) lines.push_back(model.Line(row));
  return lines;
}

QString Harness::Text3() { return Control<QLineEdit>(Found(), "Text3")->text(); }
QString Harness::SizeSummary() { return Control<QLineEdit>(Found(), "txtSizeSummary")->text(); }

void ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  if (!QTest::qWaitForWindowActive(&window)) qWarning("window %s did not become active", qPrintable(window.objectName()));
}

QStringList FocusChain(QWidget& window) {
  QStringList names;
  for (QWidget* w = window.nextInFocusChain(); w && w != &window; w = w->nextInFocusChain()) {
    if (window.isAncestorOf(w) && w->isVisibleTo(&window) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
      names << w->objectName();
    }
  }
  return names;
}

void PressKey(QWidget& window, Qt::Key key) { QTest::keyClick(window.windowHandle(), key); }

void PressAccessKey(QWidget& window, Qt::Key key) {
  QTest::keyClick(&window, key, Qt::AltModifier);
  constexpr int kLongerThanThePressAnimation = 250;
  QTest::qWait(kLongerThanThePressAnimation);
}

}  // namespace dustvane::testing
