// with-unanswering-mount FOLDER COMMAND [ARGUMENT...]
//
// Runs COMMAND in a mount namespace of its own in which FOLDER holds a file
// system that never answers (tests/support/unanswering_mount.h), for the
// scripts that check that no window waits on such a mount. Everything the
// command starts sees the mount; nothing outside does. When the command
// ends, the mount is aborted, so that nothing stays stuck in it, and the
// command's exit code is returned. Needs root; exits 77 where the mount is
// not allowed.

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "tests/support/unanswering_mount.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: with-unanswering-mount FOLDER COMMAND [ARGUMENT...]\n");
    return 2;
  }
  dustvane::testing::UnansweringMount hung;
  if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      !hung.Mount(argv[1])) {
    std::perror("with-unanswering-mount: cannot mount a file system that never answers");
    return 77;
  }
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[2], argv + 2);
    std::perror("with-unanswering-mount: cannot run the command");
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  hung.Close();
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
