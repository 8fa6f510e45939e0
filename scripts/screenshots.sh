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
# The drive list only offers mounted file systems, so the script runs again
# in a mount namespace of its own and mounts three small memory file systems
# as drives there: a small tree on /media (a name that stays the same from
# run to run, for the pictures the README shows), a large generated tree (a
# walk of about a second) and a folder with more sub-folders than the search
# can count. Needs root (or user namespaces), xvfb, xdotool, imagemagick and
# twm (a small window manager, so that the windows have their title bars).
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
build=$(cd "${1:-$top/build}" && pwd)
out=$(mkdir -p "${2:-$top/shots}" && cd "${2:-$top/shots}" && pwd)

for tool in Xvfb xdotool import unshare twm; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (see scripts/packages.txt)" >&2; exit 1; }
done
[ -x "$build/app/dustvane" ] || { echo "build the program first: $build/app/dustvane" >&2; exit 1; }

if [ -z "${DUSTVANE_SHOTS_INSIDE:-}" ]; then
  if [ "$(id -u)" -eq 0 ]; then ns=(unshare -m); else ns=(unshare -Urm); fi
  DUSTVANE_SHOTS_INSIDE=1 exec "${ns[@]}" bash "$0" "$build" "$out"
fi

# Inside the private mount namespace from here on: its mounts go with it.
work=$(mktemp -d /tmp/dustvane-shots.XXXXXX)
small=/media
wmrc="$work/twmrc" wmlog="$work/twm.log"
VIRTUAL_DISPLAY_PID="" wm="" pid=""
cleanup() {
  local running
  for running in "$pid" "$wm" "$VIRTUAL_DISPLAY_PID"; do
    [ -z "$running" ] || kill "$running" 2>/dev/null || true
  done
  umount "$work"/large "$work"/overflow 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# Keep the mounts of this namespace from reaching the rest of the machine.
mount --make-rprivate / 2>/dev/null || true

make_drives() {
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
}

# twm would ask for each new window to be placed by hand; this keeps the
# program's own positions. Its default fonts are not on a bare X server, and
# without a font it ends at once: "fixed" is built into every X server.
start_window_manager() {
  printf '%s\n' 'UsePPosition "on"' RandomPlacement NoGrabServer DecorateTransients \
    'TitleFont "fixed"' 'ResizeFont "fixed"' 'MenuFont "fixed"' 'IconFont "fixed"' \
    'IconManagerFont "fixed"' >"$wmrc"
  twm -f "$wmrc" >"$wmlog" 2>&1 &
  wm=$!
  sleep 0.5
  if ! kill -0 "$wm" 2>/dev/null; then
    echo "twm ended at once, so the windows would have no title bars:" >&2
    cat "$wmlog" >&2
    exit 1
  fi
}

shot() {
  sleep 0.3
  import -window root "$out/$1"
  echo "saved $out/$1"
}
window() { find_window "^$1\$" 20; }
click() { click_named "$build" "$@"; }
# Picks the next drive in Drive1 (the drives were mounted in the order used).
next_drive() {
  click "$main" frmMain Drive1
  xdotool key Down Return
  sleep 0.2
}

make_drives
start_virtual_display 1024x768x24
start_window_manager
# Drive1 starts on the drive that holds the home folder, the small one.
HOME="$small/home" "$build/app/dustvane" &
pid=$!
main=$(window Dustvane)
shot 1-main-idle.png

# A search over the small tree, through the drive scope.
click "$main" frmMain optDrive
click "$main" frmMain cmdSearch
found=$(window Found)
shot 3-results.png
click "$found" frmFound cmdClose

# The long search: photographed while the walk runs.
next_drive
click "$main" frmMain cmdSearch
shot 2-main-busy.png
window Found >/dev/null
sleep 0.3
click "$found" frmFound cmdClose

# The folder count overflows: the search stops with a message.
next_drive
click "$main" frmMain cmdSearch
message=$(window "Unexpected Error")
shot 4-unexpected-error.png
echo "message: $(xdotool getwindowname "$message")"
point_at_window "$message"   # twm gives the keyboard to the window under the pointer
xdotool key Return
window Found >/dev/null
shot 5-after-error.png

found=$(window Found)
click "$found" frmFound cmdClose
click "$main" frmMain cmdExit
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then echo "the program did not end through Exit" >&2; exit 1; fi
pid=""
echo "the program ended through Exit"
