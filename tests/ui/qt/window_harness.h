#pragma once

// What the Qt window tests share: the two windows in Qt widgets over a
// temporary tree of their own on the real file system, with a message box
// that records instead of blocking.

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "search/file_system.h"
#include "tests/support/fake_file_system.h"
#include "ui/app_context.h"
#include "ui/qt/activity_bar.h"
#include "ui/qt/found_window.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_controls.h"

namespace dustvane::testing {

// The two windows over a temporary folder that serves as the local disk and
// as the one drive, with the home folder inside it.
class Harness {
 public:
  Harness();

  // Makes a file of `size` bytes (and the folders leading to it) under the
  // temporary root; `relative` may hold any bytes but "/" and NUL.
  PathString MakeFile(const std::string& relative, qint64 size = 0);
  PathString Root() const { return root_; }

  QtMainWindow& Main();
  QtFoundWindow& Found() { return *Main().Found(); }

  template <class T>
  T* Control(QWidget& window, const char* name) {
    T* control = window.findChild<T*>(QString::fromLatin1(name));
    if (!control) qFatal("no control named %s", name);
    return control;
  }
  QPushButton* Button(QWidget& window, const char* name) { return Control<QPushButton>(window, name); }
  QtActivityBar* Bar() { return Control<QtActivityBar>(Main(), "ProgressBar1"); }
  QtTimer* Timer() { return Control<QtTimer>(Main(), "tmrAnimation"); }
  void Click(QWidget& window, const char* name) { QTest::mouseClick(Control<QWidget>(window, name), Qt::LeftButton); }
  // Ticks by hand, with the real timer stopped, so a test counts every tick.
  void TickByHand(int ticks = 1);

  // The exact paths in List1, in order.
  std::vector<PathString> Lines();
  QString Text3();
  QString SizeSummary();

  QTemporaryDir dir;
  std::unique_ptr<FileSystem> fileSystem;
  RecordingMessages messages;
  AppContext context;
  int programEnded = 0;

 private:
  PathString root_;
  std::unique_ptr<QtMainWindow> main_;
};

// Shows a window and waits until it has the keyboard, so access keys reach it.
void ShowActive(QWidget& window);

// The names of the window's controls that Tab can reach as they stand now
// (shown, enabled, taking the focus by Tab), in the window's focus chain
// order, starting from the first after the window itself.
QStringList FocusChain(QWidget& window);

// Sends a key to the window as the keyboard does: to its focused control,
// from where an unhandled key passes to the window.
void PressKey(QWidget& window, Qt::Key key);

// Presses Alt+key and lets the button it names finish its press animation,
// after which the button reports the click.
void PressAccessKey(QWidget& window, Qt::Key key);

}  // namespace dustvane::testing
