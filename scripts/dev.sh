#!/usr/bin/env bash
# Sets up, builds, and runs Dustvane or its tests.
#
#   scripts/dev.sh run    install what is missing, build, start the program
#   scripts/dev.sh test   install what is missing, build, run every test
#   scripts/dev.sh check  build and run the CTest suite only: the quick loop
#   scripts/dev.sh setup  only install what is missing
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
build="${DUSTVANE_BUILD_DIR:-$top/build}"
jobs="${DUSTVANE_JOBS:-2}"

# shellcheck source=scripts/lib.sh
source "$here/lib.sh"

build_all() {
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j "$jobs"
}

cmd_setup() { install_packages "$here/packages.txt"; }

cmd_check() {
  build_all
  (cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")
}

cmd_test() {
  cmd_setup
  cmd_check
  # Further suites (they install their own tools) run after the main one.
  local extra
  for extra in "$here"/test-*.sh; do
    [ -e "$extra" ] || continue
    echo "== $(basename "$extra")"
    bash "$extra"
  done
}

cmd_run() {
  cmd_setup
  build_all
  if [ -x "$here/run-program.sh" ]; then
    exec bash "$here/run-program.sh" "$build"
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
