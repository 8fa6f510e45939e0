#include "ui/frmFound.h"

#include "ui/report_failure.h"

namespace dustvane {

frmFound::frmFound(AppContext& context, FoundWindowControls controls) : context_(context), controls_(controls) {}

void frmFound::cmdDelete_Click() {
  // The stored path, never the shown text: two names can look alike on screen.
  if (MaybeFailure failure = context_.fileSystem.RemoveFile(controls_.List1.SelectedPath())) {
    ReportFailure(context_.messages, *failure, kProgramTitle);
  }
}

void frmFound::cmdClose_Click() { SetVisible(false); }

}  // namespace dustvane
