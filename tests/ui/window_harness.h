#pragma once

// What the window tests share: a message box that records instead of
// blocking, a file system that can be made to fail, and the two windows built
// over a temporary tree of their own.

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "search/file_system.h"
#include "search/find_files.h"
#include "ui/activity_bar.h"
#include "ui/app_context.h"
#include "ui/frmMain.h"

namespace dustvane::testing {

struct ShownMessage {
  std::string text;
  std::string title;
};

// Records every message; the first `failuresToGive` calls fail instead, as a
// message box that cannot be shown would.
class RecordingMessages final : public MessageDialog {
 public:
  MaybeFailure Show(const std::string& text, const std::string& title) override {
    if (onShow) onShow();
    if (failuresToGive > 0) {
      --failuresToGive;
      return kBrokenBox;
    }
    shown.push_back({text, title});
    return std::nullopt;
  }

  static inline const Failure kBrokenBox{5, "Invalid procedure call or argument"};
  int failuresToGive = 0;
  std::function<void()> onShow;  // runs while the message would be open
  std::vector<ShownMessage> shown;
};

// The real file system, except that the length of any file whose path ends
// in `failLengthOf` cannot be read.
class FaultyFileSystem final : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

  Result<PathString> EnumFirst(const PathString& pattern, Attributes mask) override {
    return inner_.EnumFirst(pattern, mask);
  }
  Result<PathString> EnumNext() override { return inner_.EnumNext(); }
  Result<Attributes> FileAttributes(const PathString& path, Attributes wanted) override {
    return inner_.FileAttributes(path, wanted);
  }
  Result<int64_t> FileLength(const PathString& path) override {
    if (!failLengthOf.empty() && path.ends_with(failLengthOf)) return kLengthFailure;
    return inner_.FileLength(path);
  }
  MaybeFailure RemoveFile(const PathString& path) override { return inner_.RemoveFile(path); }
  void CloseFolders() override {
    ++closeFoldersCalls;
    inner_.CloseFolders();
  }

  static inline const Failure kLengthFailure{5, "Input/output error"};
  PathString failLengthOf;
  int closeFoldersCalls = 0;

 private:
  FileSystem& inner_;
};

// The two windows over a temporary folder that serves as the local disk and
// as the one drive, with the home folder inside it.
class Harness {
 public:
  Harness();

  // Makes a file of `size` bytes (and the folders leading to it) under the
  // temporary root; `relative` may hold any bytes but "/" and NUL.
  PathString MakeFile(const std::string& relative, qint64 size = 0);
  PathString Root() const { return root_; }
  PathString LocalRootAfterSearch() const { return root_ + "/"; }

  frmMain& Main();
  frmFound& Found() { return Main().Found(); }

  template <class T>
  T* Control(QWidget& window, const char* name) {
    T* control = window.findChild<T*>(QString::fromLatin1(name));
    if (!control) qFatal("no control named %s", name);
    return control;
  }
  QPushButton* Button(QWidget& window, const char* name) { return Control<QPushButton>(window, name); }
  ActivityBar* Bar() { return Control<ActivityBar>(Main(), "ProgressBar1"); }
  QTimer* Timer() { return Control<QTimer>(Main(), "tmrAnimation"); }
  void Click(QWidget& window, const char* name) { QTest::mouseClick(Control<QWidget>(window, name), Qt::LeftButton); }
  // Ticks by hand, with the real timer stopped, so a test counts every tick.
  void TickByHand(int ticks = 1);

  // The exact paths in List1, in order.
  std::vector<PathString> Lines();
  QString Text3();
  QString SizeSummary();

  QTemporaryDir dir;
  std::unique_ptr<FileSystem> native;
  FaultyFileSystem fileSystem;
  RecordingMessages messages;
  AppContext context;
  int programEnded = 0;

 private:
  PathString root_;
  std::unique_ptr<frmMain> main_;
};

// Shows a window and waits until it has the keyboard, so access keys reach it.
void ShowActive(QWidget& window);

// Presses Alt+key and lets the button it names finish its press animation,
// after which the button reports the click.
void PressAccessKey(QWidget& window, Qt::Key key);

}  // namespace dustvane::testing
