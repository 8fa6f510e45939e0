// dustvane-ui-bench ROOT
//
// Times the windows on Qt's offscreen platform, driven in-process:
//   search  from the click on cmdSearch (local-disk scope, ROOT standing in
//           for the local disk) to the results window shown and painted;
//   list    appending 32,767 lines to List1 and showing them, with the
//           results window already open (the costlier case).
// Prints one line per measurement: `search seconds=S files=N` and
// `list seconds=S lines=N`. Messages the search would show are counted, not shown.

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <cstdlib>

#include "search/file_system.h"
#include "ui/app_context.h"
#include "ui/qt/found_window.h"
#include "ui/qt/main_window.h"
#include "ui/qt/results_list.h"

namespace {

using namespace dustvane;

class CountingMessages final : public MessageDialog {
 public:
  MaybeFailure Show(const std::string&, const std::string&) override {
    ++count;
    return std::nullopt;
  }
  int count = 0;
};

// Lets the window system show and paint what the handler left to show.
void ShowAndPaint(QWidget& window) {
  if (!QTest::qWaitForWindowExposed(&window)) std::fprintf(stderr, "window not shown\n");
  QCoreApplication::processEvents();
  window.repaint();
}

double TimeSearch(QtMainWindow& main) {
  QElapsedTimer clock;
  clock.start();
  QTest::mouseClick(main.findChild<QPushButton*>("cmdSearch"), Qt::LeftButton);
  ShowAndPaint(*main.Found());
  return clock.nsecsElapsed() / 1e9;
}

double TimeList(QtFoundWindow& window, int lines) {
  frmFound& found = window.Form();
  const PathString folder = "/home/someone/projects/dustvane/build/cache/folder-";
  QElapsedTimer clock;
  clock.start();
  found.List1().Clear();
  for (int i = 0; i < lines; ++i) {
    const PathString line = folder + std::to_string(i / 100) + "/file-" + std::to_string(i) + ".tmp";
    if (const MaybeFailure failure = found.List1().AddItem(line)) {
      // A list cut short would time less than it claims to.
      std::fprintf(stderr, "line %d not added: %s\n", i, failure->description.c_str());
      std::exit(1);
    }
  }
  found.SetVisible(true);
  ShowAndPaint(window);
  return clock.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dustvane-ui-bench ROOT\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::unique_ptr<FileSystem> fileSystem = MakeNativeFileSystem();
  CountingMessages messages;
  AppContext context{*fileSystem, messages, argv[1], {argv[1]}, argv[1], [] {}, ","};
  QtMainWindow main(context);
  main.show();
  if (!QTest::qWaitForWindowExposed(&main)) std::fprintf(stderr, "window not shown\n");

  const double search = TimeSearch(main);
  std::printf("search seconds=%.6f files=%d messages=%d\n", search, main.Found()->List().Model().rowCount(),
              messages.count);
  constexpr int kMostLines = 32767;
  const double list = TimeList(*main.Found(), kMostLines);
  std::printf("list seconds=%.6f lines=%d\n", list, main.Found()->List().Model().rowCount());
  return 0;
}
