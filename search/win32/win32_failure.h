#pragma once

#include "search/failure.h"

namespace dustvane {

// The failure for a Windows error number, described by the system's own
// message text ("The system cannot find the path specified."), as UTF-8 and
// without the line break the message table ends it with.
Failure Win32Failure(unsigned long errorNumber);

}  // namespace dustvane
