#include "ui/detached_thread.h"

#include <system_error>
#include <thread>
#include <utility>

namespace dustvane {

void StartDetachedThread(std::function<void()> job) {
  try {
    std::thread(std::move(job)).detach();
  } catch (const std::system_error&) {
    // No thread to spare: the job does not run.
  }
}

}  // namespace dustvane
