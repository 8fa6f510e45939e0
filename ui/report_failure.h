#pragma once

#include <string>

#include "search/find_files.h"

namespace dustvane {

// Tells the user of a failure that no code below the window handled:
// "Error: <number> - <description>" in a message box with the given title.
// The program carries on afterwards.
void ReportFailure(MessageDialog& messages, const Failure& failure, const std::string& title);

// The title of messages that belong to the program as a whole.
inline constexpr const char* kProgramTitle = "Dustvane";

}  // namespace dustvane
