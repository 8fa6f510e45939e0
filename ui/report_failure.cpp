#include "ui/report_failure.h"

#include <cstdio>

namespace dustvane {

void ReportFailure(MessageDialog& messages, const Failure& failure, const std::string& title) {
  const std::string text = ErrorMessageText(failure);
  // With the message box itself failing, standard error is the last place
  // left to say it.
  if (MaybeFailure notShown = messages.Show(text, title)) {
    std::fprintf(stderr, "%s: %s (and the message box failed: %s)\n", title.c_str(), text.c_str(),
                 ErrorMessageText(*notShown).c_str());
  }
}

}  // namespace dustvane
