#!/usr/bin/env bash
# Starts Dustvane from the build folder given ($1). With no display it says
# so, starts the program on a virtual display instead, saves a screenshot of
# it to a path it prints, and ends it: proof that the program runs.
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

build="${1:?usage: run-program.sh BUILD_DIR}"
program="$build/app/dustvane"
[ -x "$program" ] || { echo "Dustvane is not built: $program is missing" >&2; exit 1; }

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$program"
fi

echo "There is no display (DISPLAY is not set), so Dustvane cannot open its window here."
if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null || ! command -v import >/dev/null; then
  echo "To see it start anyway, install xvfb, xdotool and imagemagick (scripts/packages.txt lists them)." >&2
  exit 1
fi
shot="${TMPDIR:-/tmp}/dustvane-screen.png"
echo "Starting it on a virtual display (Xvfb) instead, to take a screenshot..."
start_virtual_display 800x600x24 || exit 1
status=0
"$program" &
pid=$!
if timeout 20 xdotool search --sync --onlyvisible --name '^Dustvane$' >/dev/null; then
  sleep 0.5
  import -window root "$shot" || status=1
else
  echo "The main window did not appear within 20 seconds." >&2
  status=1
fi
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
kill "$VIRTUAL_DISPLAY_PID" 2>/dev/null || true

if [ "$status" -eq 0 ]; then
  echo "Dustvane started and showed its main window. Screenshot: $shot"
  echo "On a machine with a display, the same command opens the program itself."
else
  echo "Dustvane did not start on the virtual display." >&2
  exit 1
fi
