#include "tests/ui/fake_windows.h"

namespace dustvane::testing {

FakeWindows::FakeWindows()
    : context{fileSystem, messages, P("/disk"), {P("/drive")}, P("/drive/home"), [this] { ++programEnded; }, ","},
      main_(context, MainWindowControls{mainWindow, cmdSearch, optSearchAll, optDrive, Drive1, ProgressBar1,
                                        tmrAnimation, pointer},
            [this]() -> Result<frmFound*> {
              ++foundWindowsMade;
              found_ = std::make_unique<frmFound>(context, FoundWindowControls{foundWindow, List1, Text3, txtSizeSummary});
              return found_.get();
            }) {
  fileSystem.AddFolder(P("/disk"));
  fileSystem.AddFolder(P("/drive"));
  optSearchAll.value = true;
  Drive1.drive = P("/drive");
  mainWindow.visible = true;
}

void FakeWindows::ChooseScope(FakeOption& option) {
  for (FakeOption* o : {&optSearchAll, &optDrive, &optFolder}) o->value = (o == &option);
}

}  // namespace dustvane::testing
