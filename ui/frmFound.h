#pragma once

#include <string>

#include "ui/app_context.h"
#include "ui/controls.h"

namespace dustvane {

// The results window's handlers and what the search command writes into it:
// the files found (List1), their number (Text3) and the size summary of a
// local-disk search. The window is hidden, never destroyed, when closed, so
// its contents last until the next search.
class frmFound {
 public:
  frmFound(AppContext& context, FoundWindowControls controls);

  ResultsListControl& List1() { return controls_.List1; }
  void SetCountText(const std::string& text) { controls_.Text3.SetText(text); }
  void SetSizeSummary(const std::string& text) { controls_.txtSizeSummary.SetText(text); }

  bool Visible() const { return controls_.window.Visible(); }
  void SetVisible(bool visible) { controls_.window.SetVisible(visible); }

  void cmdDelete_Click();
  void cmdClose_Click();

 private:
  AppContext& context_;
  FoundWindowControls controls_;
};

}  // namespace dustvane
