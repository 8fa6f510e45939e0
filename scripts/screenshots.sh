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
#   6-long-path-end.png     the results window, its list scrolled to the end
#                           of its longest line
#   7-main-dark.png, 8-results-dark.png
#                           both windows under a dark palette (Fusion with
#                           the colours of tests/ui/qt/dark_palette.conf,
#                           through qt6ct, as a user sets it)
#   9-main-2x.png, 10-results-2x.png
#                           both windows at twice the size (QT_SCALE_FACTOR=2)
# and, cut out of those, each window with its frame: main.png, results.png,
# results-long-path-end.png, main-dark.png, results-dark.png, main-2x.png,
# results-2x.png.
# The drive list only offers mounted file systems, so the script runs again
# in a mount namespace of its own and mounts three small memory file systems
# as drives there: a small tree on /media (a name that stays the same from
# run to run, for the pictures the README shows), a large generated tree (a
# walk of about a second) and a folder with more matching files than the
# search can count. Needs root (or user namespaces), xvfb, xdotool, imagemagick,
# twm (a small window manager, so that the windows have their title bars)
# and qt6ct.
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
build=$(cd "${1:-$top/build}" && pwd)
out=$(mkdir -p "${2:-$top/shots}" && cd "${2:-$top/shots}" && pwd)

for tool in Xvfb xdotool import unshare twm qt6ct; do
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
  # A path longer than the list is wide, its name without a space.
  mkdir -p "$small/cache/build-artifacts/intermediate"
  printf 'x' >"$small/cache/build-artifacts/intermediate/$(printf 'object%.0s' $(seq 20))-final.tmp"
  echo "Making the large tree (about 15 seconds)..."
  "$build/bench/dustvane-maketree" --profile large "$work/large/tree" >/dev/null
  # Matches past the 32767 the file count holds: the search says so.
  (cd "$work/overflow" && seq 1 32800 | sed 's/^/f/; s/$/.tmp/' | xargs touch)
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
# Saves the window with X id $1, with its frame, as $2.
window_shot() {
  import -frame -window "$1" "$out/$2"
  echo "saved $out/$2"
}
window() { find_window "^$1\$" 20; }
# Waits for the program to end through Exit.
wait_for_exit() {
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then echo "the program did not end through Exit" >&2; exit 1; fi
  pid=""
  echo "the program ended through Exit"
}
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

window_shot "$main" main.png

# A search over the small tree, through the drive scope.
click "$main" frmMain optDrive
click "$main" frmMain cmdSearch
found=$(window Found)
shot 3-results.png
window_shot "$found" results.png
# The list scrolled sideways as far as it goes: clicks in its scroll bar's
# trough, at the right end of the list's bottom edge, each a page further.
read -r x y w h < <("$build/tests/control-places" frmFound List1)
xdotool mousemove --window "$found" $((x + w - 30)) $((y + h - 8)) click --repeat 6 --delay 150 1
shot 6-long-path-end.png
window_shot "$found" results-long-path-end.png
click "$found" frmFound cmdClose

# The long search: photographed while the walk runs.
next_drive
click "$main" frmMain cmdSearch
shot 2-main-busy.png
window Found >/dev/null
sleep 0.3
click "$found" frmFound cmdClose

# The file count overflows: the search stops with a message.
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
wait_for_exit

# Under a dark palette, and at twice the size: each time the program started
# anew, and the small drive searched with the keyboard alone (the arrow
# moves from "Local Hard Disk" to "Drive:", Alt+S searches), so that no
# click depends on where a control lies at that size.
# photograph_small_search MAIN_SHOT RESULTS_SHOT NAME [VARIABLE=VALUE...]
photograph_small_search() {
  local main_shot=$1 results_shot=$2 name=$3 main found
  shift 3
  env "$@" HOME="$small/home" "$build/app/dustvane" &
  pid=$!
  main=$(window Dustvane)
  point_at_window "$main"
  press Down
  shot "$main_shot.png"
  window_shot "$main" "main-$name.png"
  press alt+s
  found=$(window Found)
  shot "$results_shot.png"
  window_shot "$found" "results-$name.png"
  point_at_window "$found"
  press alt+c
  point_at_window "$main"
  press alt+e
  wait_for_exit
}

# qt6ct, the Qt 6 configuration tool, gives the program the palette and the
# style, as on a desktop where the user chose them.
mkdir -p "$work/config/qt6ct"
printf '%s\n' '[Appearance]' "color_scheme_path=$top/tests/ui/qt/dark_palette.conf" 'custom_palette=true' \
  'style=Fusion' >"$work/config/qt6ct/qt6ct.conf"
photograph_small_search 7-main-dark 8-results-dark dark QT_QPA_PLATFORMTHEME=qt6ct XDG_CONFIG_HOME="$work/config"
photograph_small_search 9-main-2x 10-results-2x 2x QT_SCALE_FACTOR=2
