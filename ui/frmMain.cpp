#include "ui/frmMain.h"

#include <new>

#include "search/byte_total.h"
#include "ui/report_failure.h"
#include "ui/search_texts.h"

namespace dustvane {

namespace {

const std::string kIdleCaption = "Search For Temporary Files";
const std::string kBusyCaption = "...Searching...";
const PathString kSearchPattern = DV_PATH("*.tmp");
constexpr float kBarStep = 2.0f;
constexpr float kBarWrap = 100.0f;

// Keeps the timer from ticking while a walk runs. The walk handles no events,
// except inside a modal error message; a tick there could end the busy state
// and let the search button be pressed in the middle of the search.
class TimerHold {
 public:
  explicit TimerHold(TimerControl& timer) : timer_(timer), wasEnabled_(timer.Enabled()) { timer_.SetEnabled(false); }
  ~TimerHold() {
    if (wasEnabled_) timer_.SetEnabled(true);
  }
  TimerHold(const TimerHold&) = delete;
  TimerHold& operator=(const TimerHold&) = delete;

 private:
  TimerControl& timer_;
  bool wasEnabled_;
};

// The hourglass pointer for as long as the walk runs, and never longer: an
// escaping exception puts the default back too.
class BusyPointer {
 public:
  explicit BusyPointer(ScreenPointer& pointer) : pointer_(pointer) { pointer_.Show(PointerShape::Hourglass); }
  ~BusyPointer() { Restore(); }
  void Restore() {
    if (busy_) pointer_.Show(PointerShape::Default);
    busy_ = false;
  }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  ScreenPointer& pointer_;
  bool busy_ = true;
};

}  // namespace

frmMain::frmMain(AppContext& context, MainWindowControls controls, FoundWindowFactory makeFound)
    : context_(context), controls_(controls), makeFound_(std::move(makeFound)) {}

frmMain::~frmMain() = default;

Result<frmFound*> frmMain::Found() {
  if (!found_) {
    Result<frmFound*> made = makeFound_();
    if (!made.ok()) return made.failure();
    found_ = made.value();
  }
  return found_;
}

void frmMain::optSearchAll_Click() { controls_.Drive1.SetEnabled(false); }

void frmMain::optDrive_Click() { controls_.Drive1.SetEnabled(true); }

void frmMain::cmdExit_Click() {
  controls_.tmrAnimation.SetEnabled(false);
  if (found_) found_->SetVisible(false);
  controls_.window.SetVisible(false);
  if (context_.endProgram) context_.endProgram();
}

void frmMain::cmdSearch_Click() {
  controls_.ProgressBar1.SetVisible(true);
  controls_.cmdSearch.SetCaption(kBusyCaption);
  controls_.cmdSearch.SetEnabled(false);
  Result<frmFound*> found = Found();
  if (!found.ok()) {
    // With no results window there is nowhere to list what a search finds,
    // and no window whose showing would end the busy state: say why, and be
    // ready for the next click.
    ReportFailure(context_.messages, found.failure(), kUnexpectedErrorTitle);
    ShowIdle();
    return;
  }
  if (controls_.optSearchAll.Value()) {
    SearchScope(*found.value(), context_.localDiskRoot, true);
  } else if (controls_.optDrive.Value()) {
    SearchScope(*found.value(), controls_.Drive1.Drive(), false);
  }
  // Every click ends here, so the next tick always ends the busy state.
  found.value()->SetVisible(true);
}

void frmMain::SearchScope(frmFound& found, PathString root, bool withSizeSummary) {
  TimerHold noTicks(controls_.tmrAnimation);
  BusyPointer hourglass(controls_.pointer);
  found.List1().Clear();

  // The walk handles no events, so the busy state is painted now or never.
  controls_.window.PaintNow();

  int16_t fileCount = 0;
  FolderCount dirCount = 0;
  SearchContext search{context_.fileSystem, found.List1(), context_.messages};
  Result<ByteTotal> total = [&]() -> Result<ByteTotal> {
    // Drive1 with no drive chosen (the one chosen proved no drive): an empty
    // root would become the root of some other drive.
    if (root.empty()) return PathNotFoundFailure();
    try {
      return FindFiles(search, root, kSearchPattern, fileCount, dirCount);
    } catch (const std::bad_alloc&) {
      return OutOfMemoryFailure();
    }
  }();
  context_.fileSystem.CloseFolders();

  found.SetCountText(CountText(fileCount));
  // A drive search composes no summary, and a failed walk has no total: in
  // both cases the display is emptied, so it never shows another search's
  // size under this search's list.
  found.SetSizeSummary(withSizeSummary && total.ok()
                           ? SizeSummary(root, total.value(), context_.thousandsSeparator)
                           : std::string());
  hourglass.Restore();
  // A failure the search could not deal with itself is reported here and
  // ends only this search; what it found so far stays listed.
  if (!total.ok()) ReportFailure(context_.messages, total.failure(), kUnexpectedErrorTitle);
}

void frmMain::tmrAnimation_Timer() {
  Result<frmFound*> found = Found();
  if (found.ok() && found.value()->Visible()) ShowIdle();
  if (controls_.ProgressBar1.Value() == kBarWrap) {
    controls_.ProgressBar1.SetValue(0.0f);
  } else {
    controls_.ProgressBar1.SetValue(controls_.ProgressBar1.Value() + kBarStep);
  }
}

void frmMain::ShowIdle() {
  controls_.cmdSearch.SetEnabled(true);
  controls_.cmdSearch.SetCaption(kIdleCaption);
  controls_.ProgressBar1.SetVisible(false);
}

}  // namespace dustvane
