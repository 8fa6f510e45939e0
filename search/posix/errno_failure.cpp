#include "search/posix/errno_failure.h"

#include <cstring>

namespace dustvane {

Failure ErrnoFailure(int errorNumber) {
  return {errorNumber, std::strerror(errorNumber)};
}

}  // namespace dustvane
