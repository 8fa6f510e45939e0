#pragma once

#include <functional>

namespace dustvane {

// Runs `job` on a thread of its own that nobody joins or waits for; where
// the system gives no thread, `job` does not run. Each platform starts it
// its own way (ui/posix, ui/windows).
void StartDetachedThread(std::function<void()> job);

}  // namespace dustvane
