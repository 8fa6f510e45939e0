#pragma once

// The two windows' handlers over controls that only remember what was done
// to them, a scripted file system and a recording message box: what a click,
// a tick or a delete does, with no toolkit and no real files.

#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/fake_file_system.h"
#include "ui/app_context.h"
#include "ui/controls.h"
#include "ui/frmFound.h"
#include "ui/frmMain.h"

namespace dustvane::testing {

struct FakeButton final : ButtonControl {
  explicit FakeButton(std::string initial) : caption(std::move(initial)) {}
  void SetCaption(const std::string& text) override { caption = text; }
  void SetEnabled(bool on) override { enabled = on; }
  std::string caption;
  bool enabled = true;
};

struct FakeOption final : OptionControl {
  bool Value() const override { return value; }
  bool value = false;
};

struct FakeDriveList final : DriveListControl {
  PathString Drive() const override { return drive; }
  void SetEnabled(bool on) override { enabled = on; }
  PathString drive;
  bool enabled = false;
};

struct FakeActivityBar final : ActivityBarControl {
  float Value() const override { return value; }
  void SetValue(float position) override { value = position; }
  void SetVisible(bool on) override { visible = on; }
  float value = 0.0f;
  bool visible = false;
};

// List1 with its lines and a selection; clearing drops the selection too.
struct FakeList final : ResultsListControl {
  MaybeFailure AddItem(const PathString& line) override {
    if (outOfMemoryAt && *outOfMemoryAt == line) throw std::bad_alloc();
    lines.push_back(line);
    return std::nullopt;
  }
  void Clear() override {
    lines.clear();
    selected.reset();
  }
  PathString SelectedPath() const override { return selected ? lines.at(*selected) : PathString(); }
  std::vector<PathString> lines;
  std::optional<size_t> selected;
  std::optional<PathString> outOfMemoryAt;  // adding this line runs out of memory
};

struct FakeText final : TextControl {
  void SetText(const std::string& value) override { text = value; }
  std::string text;
};

struct FakeTimer final : TimerControl {
  bool Enabled() const override { return enabled; }
  void SetEnabled(bool on) override { enabled = on; }
  bool enabled = true;  // the timer runs from start-up
};

struct FakeWindow final : WindowControl {
  bool Visible() const override { return visible; }
  void SetVisible(bool on) override { visible = on; }
  void PaintNow() override {
    if (onPaint) onPaint();
  }
  bool visible = false;
  std::function<void()> onPaint;  // sees the controls as they are painted
};

struct FakePointer final : ScreenPointer {
  void Show(PointerShape shape) override { shown.push_back(shape); }
  std::vector<PointerShape> shown;
};

// Both windows in their starting state, over a fake disk "/disk" that is
// the local disk; Drive1 offers "/drive".
class FakeWindows {
 public:
  FakeWindows();

  frmMain& Main() { return main_; }
  frmFound& Found() { return *main_.Found().value(); }
  void ChooseScope(FakeOption& option);
  PathString LocalRoot() const { return P("/disk"); }

  FakeFileSystem fileSystem;
  RecordingMessages messages;
  AppContext context;
  int programEnded = 0;
  int foundWindowsMade = 0;

  FakeWindow mainWindow;
  FakeButton cmdSearch{"&Search For Temporary Files"};
  FakeOption optSearchAll, optDrive, optFolder;
  FakeDriveList Drive1;
  FakeActivityBar ProgressBar1;
  FakeTimer tmrAnimation;
  FakePointer pointer;

  FakeWindow foundWindow;
  FakeList List1;
  FakeText Text3, txtSizeSummary;

 private:
  std::unique_ptr<frmFound> found_;
  frmMain main_;
};

}  // namespace dustvane::testing
