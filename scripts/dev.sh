#!/usr/bin/env bash
# Sets up, builds, and runs Dustvane or its tests.
#
#   scripts/dev.sh run    install what is missing, build, start the program
#   scripts/dev.sh test   install what is missing, build, run every test
#   scripts/dev.sh check  build and run the CTest suite only: the quick loop
#   scripts/dev.sh setup  only install what is missing
#
# test and check exit 0 when everything ran and passed, 1 when something
# failed, and 77 when something could not run on this machine and was
# skipped (in CI, CI=true, that fails instead: see cannot_run_here).
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
build="${DUSTVANE_BUILD_DIR:-$top/build}"
jobs="${DUSTVANE_JOBS:-2}"

build_all() {
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j "$jobs"
}

cmd_setup() { install_packages "$scripts/packages.txt"; }

cmd_check() {
  build_all
  QT_QPA_PLATFORM=offscreen ctest_stage ctest "$build" -j "$jobs"
}

cmd_test() {
  cmd_setup
  DUSTVANE_SKIPPED_LOG=$(mktemp)
  export DUSTVANE_SKIPPED_LOG
  trap 'rm -f "$DUSTVANE_SKIPPED_LOG"' EXIT
  run_name="test"
  run_stage ctest cmd_check
  # Further suites (they install their own tools) run after the main one.
  local extra name
  for extra in "$scripts"/test-*.sh; do
    name=$(basename "$extra" .sh)
    run_stage "${name#test-}" bash "$extra"
  done
  echo "== Summary"
  if [ ${#stages_skipped[@]} -gt 0 ]; then
    echo "Skipped here, in part or whole (CI runs them): ${stages_skipped[*]}"
    sed 's/^/  /' "$DUSTVANE_SKIPPED_LOG"
  fi
  end_run
}

cmd_run() {
  cmd_setup
  build_all
  if [ -x "$scripts/run-program.sh" ]; then
    exec bash "$scripts/run-program.sh" "$build"
  fi
  echo "The windows are not built yet; running the search over /usr instead:"
  "$build/bench/dustvane-walk" /usr
}

case "${1:-}" in
  setup) cmd_setup ;;
  test) cmd_test ;;
  check) cmd_check ;;
  run) cmd_run ;;
  *) echo "usage: scripts/dev.sh run|test|check|setup" >&2; exit 2 ;;
esac
