#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dustvane::testing {

// The exit code of a child whose test cannot run here (a mount or a limit
// that this machine does not allow): the test is then skipped.
inline constexpr int kNotAllowedHere = 77;

// Runs `body` in a child process, for limits that must not outlast it, and
// returns its exit code (128 when it did not exit).
template <class Body>
int InChildProcess(Body body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

// Runs `body` in a child process with a mount namespace of its own, so that
// whatever it mounts disappears with it; kNotAllowedHere where that is not
// allowed.
template <class Body>
int InPrivateMountNamespace(Body body) {
  return InChildProcess([&] {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      return kNotAllowedHere;
    }
    return body();
  });
}

}  // namespace dustvane::testing
