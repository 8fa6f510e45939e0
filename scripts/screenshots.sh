#!/usr/bin/env bash
# scripts/screenshots.sh [BUILD_DIR] [OUT_DIR]
#
# Starts the real program on a virtual display (Xvfb), drives it with
# xdotool as a user would, and saves screenshots to OUT_DIR (default shots/):
#   1-main-idle.png         the main window at start-up
#   2-main-busy.png         the main window during a long search
#   3-results.png           the results window over the main window
#   4-unexpected-error.png  an "Unexpected Error" message during a search
#   5-after-error.png       the results of the search the message came from
# The drive list only offers mounted file systems, so the script runs in a
# mount namespace of its own and mounts three small memory file systems as
# drives: a small tree on /media (a name that stays the same from run to run,
# for the pictures the README shows), a large generated tree (a walk of about
# a second) and a folder with more sub-folders than the search can count. Needs root (or
# user namespaces), xvfb, xdotool, imagemagick and twm (a small window
# manager, so that the windows have their title bars).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
out=$(mkdir -p "${2:-$top/shots}" && cd "${2:-$top/shots}" && pwd)

# shellcheck source=scripts/lib.sh
source "$here/lib.sh"

for tool in Xvfb xdotool import unshare twm; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (see scripts/packages.txt)" >&2; exit 1; }
done
[ -x "$build/app/dustvane" ] || { echo "build the program first: $build/app/dustvane" >&2; exit 1; }

# Inside the private mount namespace: make the drives, then go on to the display.
if [ "${DUSTVANE_SHOTS_STAGE:-}" = "" ]; then
  if [ "$(id -u)" -eq 0 ]; then ns=(unshare -m); else ns=(unshare -Urm); fi
  DUSTVANE_SHOTS_STAGE=drives exec "${ns[@]}" bash "$0" "$build" "$out"
fi

if [ "$DUSTVANE_SHOTS_STAGE" = "drives" ]; then
  work=$(mktemp -d /tmp/dustvane-shots.XXXXXX)
  trap 'umount "$work"/* 2>/dev/null || true; rm -rf "$work"' EXIT
  # Keep the mounts of this namespace from reaching the rest of the machine.
  mount --make-rprivate / 2>/dev/null || true
  small=/media
  mkdir -p "$small"
  mount -t tmpfs -o size=1g tmpfs "$small"
  for drive in large overflow; do
    mkdir -p "$work/$drive"
    mount -t tmpfs -o size=1g tmpfs "$work/$drive"
  done

  mkdir -p "$small/home" "$small/docs/drafts" "$small/cache"
  printf 'scratch' >"$small/a.tmp"
  head -c 123456 /dev/zero >"$small/docs/report.tmp"
  printf 'keep' >"$small/docs/notes.txt"
  head -c 2048 /dev/zero >"$small/docs/drafts/~draft.TMP"
  printf 'x' >"$small/cache/locked.tmp" && chmod 0444 "$small/cache/locked.tmp"
  printf 'x' >"$small/cache/"$'line\nbreak.tmp'
  printf 'x' >"$small/cache/"$'caf\xe9-latin1.tmp'
  printf 'x' >"$small/cache/café-utf8.tmp"

  echo "Making the large tree (about 15 seconds)..."
  "$build/bench/dustvane-maketree" --profile large "$work/large/tree" >/dev/null
  # One folder past the 32767 the folder count holds: the search says so.
  (cd "$work/overflow" && seq 1 32800 | sed 's/^/f/' | xargs mkdir)

  start_virtual_display 1024x768x24
  trap 'kill "$VIRTUAL_DISPLAY_PID" 2>/dev/null || true; umount "$work"/* 2>/dev/null || true; rm -rf "$work"' EXIT
  DUSTVANE_SHOTS_STAGE=display HOME="$small/home" bash "$0" "$build" "$out"
  exit
fi

# On the virtual display from here on.
shot() {
  sleep 0.3
  import -window root "$out/$1"
  echo "saved $out/$1"
}
window() { find_window "^$1\$" 20; }
# Clicks at a point of a window's client area, in pixels of the layout.
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.2; }
# Picks the next drive in Drive1 (the drives were mounted in the order used).
next_drive() {
  click "$main" $((24 + 80 + 100)) $((96 + 32 + 10))
  xdotool key Down Return
  sleep 0.2
}

# twm would ask for each new window to be placed by hand; this keeps the
# program's own positions. Its default fonts are not on a bare X server, and
# without a font it ends at once: "fixed" is built into every X server.
wmrc=$(mktemp)
printf '%s\n' 'UsePPosition "on"' RandomPlacement NoGrabServer DecorateTransients \
  'TitleFont "fixed"' 'ResizeFont "fixed"' 'MenuFont "fixed"' 'IconFont "fixed"' \
  'IconManagerFont "fixed"' >"$wmrc"
wmlog=$(mktemp)
twm -f "$wmrc" >"$wmlog" 2>&1 &
wm=$!
sleep 0.5
if ! kill -0 "$wm" 2>/dev/null; then
  echo "twm ended at once, so the windows would have no title bars:" >&2
  cat "$wmlog" >&2
  exit 1
fi
"$build/app/dustvane" &
pid=$!
trap 'kill $pid $wm 2>/dev/null || true; rm -f "$wmrc" "$wmlog"' EXIT
main=$(window Dustvane)
shot 1-main-idle.png

# A search over the small tree, through the drive scope (Drive1 starts on the
# drive that holds the home folder, the small one).
click "$main" $((24 + 8 + 10)) $((96 + 32 + 8))   # optDrive
click "$main" $((88 + 80)) $((176 + 12))          # cmdSearch
found=$(window Found)
shot 3-results.png
click "$found" $((376 + 32)) $((304 + 12))        # cmdClose

# The long search: photographed while the walk runs.
next_drive
click "$main" $((88 + 80)) $((176 + 12))
shot 2-main-busy.png
window Found >/dev/null
sleep 0.3
click "$found" $((376 + 32)) $((304 + 12))

# The folder count overflows: the search stops with a message.
next_drive
click "$main" $((88 + 80)) $((176 + 12))
message=$(window "Unexpected Error")
shot 4-unexpected-error.png
echo "message: $(xdotool getwindowname "$message")"
xdotool mousemove --window "$message" 20 20 click 1   # twm gives the keyboard to the window under the pointer
xdotool key Return
window Found >/dev/null
shot 5-after-error.png

found=$(window Found)
click "$found" $((376 + 32)) $((304 + 12))
click "$main" $((304 + 20)) $((216 + 8))          # cmdExit
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then echo "the program did not end through Exit" >&2; exit 1; fi
echo "the program ended through Exit"
kill "$wm" 2>/dev/null || true
rm -f "$wmrc" "$wmlog"
trap - EXIT
