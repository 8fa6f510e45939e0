#!/usr/bin/env bash
# Sets up, builds, and runs Dustvane or its tests.
#
#   scripts/dev.sh run    install what is missing, build, start the program
#   scripts/dev.sh test   install what is missing, build, run every test
#   scripts/dev.sh setup  only install what is missing
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
build="${DUSTVANE_BUILD_DIR:-$top/build}"
jobs="${DUSTVANE_JOBS:-2}"

# Installs the Debian packages listed in the files given, when they are missing.
# As root it installs them; otherwise it prints the exact command to run.
install_packages() {
  local wanted=() missing=() pkg
  mapfile -t wanted < <(cat "$@" | sed -e 's/#.*//' -e '/^[[:space:]]*$/d')
  for pkg in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  else
    echo "These Debian packages are missing. Install them, then run this again:"
    echo "  sudo apt-get install -y ${missing[*]}"
    exit 1
  fi
}

build_all() {
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j "$jobs"
}

cmd_setup() { install_packages "$here/packages.txt"; }

cmd_test() {
  cmd_setup
  build_all
  (cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")
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
  run) cmd_run ;;
  *) echo "usage: scripts/dev.sh run|test|setup" >&2; exit 2 ;;
esac
