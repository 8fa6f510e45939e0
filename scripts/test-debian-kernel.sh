#!/usr/bin/env bash
# The engine's tests, the Delete tests with every medium among them, on the
# kernel Debian ships for this release (Linux 6.1 on Debian 12) rather than
# the one this machine runs: the engine's sound paths for kernels without
# the newer statx fields run there for real.
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
build="${DUSTVANE_BUILD_DIR:-$top/build}"
name=debian-kernel
[ -x "$build/tests/posix_tests" ] || { echo "$name: FAILED: $build/tests/posix_tests is not built"; exit 1; }
status=0
DUSTVANE_GUEST_NAME=$name DUSTVANE_GUEST_ENV="CI" \
  bash "$scripts/kernel/run-on-debian-kernel.sh" bash "$scripts/kernel/engine-tests.sh" "$name" "$build" || status=$?
exit "$status"
