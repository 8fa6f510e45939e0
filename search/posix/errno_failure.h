#pragma once

#include "search/failure.h"

namespace dustvane {

// The failure for a POSIX error number, described by the system's own text
// ("No such file or directory").
Failure ErrnoFailure(int errorNumber);

}  // namespace dustvane
