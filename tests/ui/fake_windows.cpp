#include "tests/ui/fake_windows.h"

namespace dustvane::testing {

namespace {

class FakeFoundWindow final : public FoundWindow {
 public:
  FakeFoundWindow(AppContext& context, FoundWindowControls controls) : form_(context, controls) {}
  frmFound& Form() override { return form_; }

 private:
  frmFound form_;
};

}  // namespace

FakeWindows::FakeWindows()
    : context{fileSystem, messages, P("/disk"), {P("/drive")}, P("/drive/home"), [this] { ++programEnded; }, ","},
      main_(context, MainWindowControls{mainWindow, cmdSearch, optSearchAll, optDrive, Drive1, ProgressBar1,
                                        tmrAnimation, pointer},
            [this]() -> Result<std::unique_ptr<FoundWindow>> {
              ++foundWindowsMade;
              return std::unique_ptr<FoundWindow>(std::make_unique<FakeFoundWindow>(
                  context, FoundWindowControls{foundWindow, List1, Text3, txtSizeSummary}));
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
