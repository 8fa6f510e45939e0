#pragma once

#include "search/find_files.h"

namespace dustvane {

// The message box of the program: the given text and title, one OK button,
// no icon, modal to the whole application.
class QtMessageDialog final : public MessageDialog {
 public:
  MaybeFailure Show(const std::string& text, const std::string& title) override;
};

}  // namespace dustvane
