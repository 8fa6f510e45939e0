#pragma once

#include <string>
#include <string_view>

#include "search/failure.h"

namespace dustvane {

// The failure for a Windows error number, described by the system's own
// message text ("The system cannot find the path specified."), as UTF-8 and
// without the line break the message table ends it with.
Failure Win32Failure(unsigned long errorNumber);

// UTF-8 for text shown to the user. A lone surrogate, which no UTF-8 can
// carry, becomes U+FFFD; names are never passed through here.
std::string Utf8FromWide(std::wstring_view text);

}  // namespace dustvane
