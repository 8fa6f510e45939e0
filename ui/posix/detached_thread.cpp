#include "ui/detached_thread.h"

#include <system_error>
#include <thread>
#include <utility>

namespace dustvane {

bool StartDetachedThread(std::function<void()> job) {
  try {
    std::thread(std::move(job)).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

}  // namespace dustvane
