// The system's own threads: under Wine, a thread started through the C++
// library's threads (winpthreads) now and then never comes to run its
// function, while CreateThread's always do.

#include "ui/detached_thread.h"

#include <windows.h>

#include <memory>
#include <utility>

namespace dustvane {

namespace {

DWORD WINAPI RunJob(void* job) {
  const std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(job));
  (*owned)();
  return 0;
}

}  // namespace

void StartDetachedThread(std::function<void()> job) {
  auto owned = std::make_unique<std::function<void()>>(std::move(job));
  const HANDLE thread = CreateThread(nullptr, 0, RunJob, owned.get(), 0, nullptr);
  if (thread == nullptr) return;  // no thread to spare: the job does not run
  owned.release();  // the thread's now
  CloseHandle(thread);
}

}  // namespace dustvane
