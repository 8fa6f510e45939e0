#!/usr/bin/env bash
# scripts/screenshots-windows.sh [OUT_DIR]
#
# Photographs the 64-bit Windows program (build-win64/, from
# scripts/build-windows.sh) under Wine on a virtual display, driven with
# xdotool as a user would, and saves into OUT_DIR (default shots/):
#   windows-1-main.png     the main window at start-up
#   windows-2-results.png  the results window after a search of the local disk
#   windows-3-error.png    the message of a delete that fails
# and the same three again at 144 dots per inch (Windows' 150% scaling), as
# windows-144dpi-1-main.png and so on. Wine draws the windows' frames itself
# here, as Windows would, in a Wine prefix of the script's own for each DPI,
# whose C: drive holds a few files to find. Needs what the Windows stage
# installs (scripts/test-windows.sh): where Wine is not installed on this
# machine, it runs again, as root, in the root the stage made for Wine.
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# shellcheck source=scripts/windows/wine-root.sh
source "$scripts/windows/wine-root.sh"
run_in_wine_root_unless_wine_is_here bash "$0" "$@"
build="${DUSTVANE_WIN_OUT:-$top}/build-win64"
out=$(mkdir -p "${1:-$top/shots}" && cd "${1:-$top/shots}" && pwd)
program="$build/app/win32/dustvane.exe"
[ -f "$program" ] && [ -f "$build/tests/win32/window-text.exe" ] || { echo "build first: scripts/build-windows.sh" >&2; exit 1; }
fail() { echo "screenshots: $*" >&2; exit 1; }
# shellcheck source=scripts/windows/windows-input.sh
source "$scripts/windows/windows-input.sh" "$build"

# The whole screen, into NAME-PICTURE (NAME as photograph has it).
shot() {
  sleep 0.5
  import -window root "$out/$name-$1"
  echo "saved $out/$name-$1"
}

# photograph DPI NAME: the three pictures at DPI dots per inch.
photograph() {
  local dpi=$1 name=$2 drive main found
  use_wine_prefix "$build/wine-shots-$dpi" win64
  # Frames and title bars drawn by Wine, in the Windows style, at the DPI asked.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  wineserver -k 2>/dev/null || true   # the DPI is read when Wine starts

  drive="$WINEPREFIX/drive_c/Documents"
  rm -rf "$drive"
  mkdir -p "$drive/drafts" "$drive/cache"
  printf 'scratch' >"$drive/a.tmp"
  head -c 123456 /dev/zero >"$drive/report.tmp"
  head -c 2048 /dev/zero >"$drive/drafts/~draft.TMP"
  printf 'x' >"$drive/cache/session.tmp"
  printf 'keep' >"$drive/notes.txt"

  wine "$program" >/dev/null 2>&1 &
  main=$(find_window '^Dustvane$') || true
  [ -n "$main" ] || fail "the main window did not appear"
  shot 1-main.png

  click_control "$main" Dustvane cmdSearch
  found=$(find_window '^Found$') || true
  [ -n "$found" ] || fail "the results window did not appear"
  click_control "$found" Found List1
  press Home
  shot 2-results.png

  # The file goes behind the program's back: its delete then fails.
  rm -f "$drive/a.tmp"
  click_control "$found" Found cmdDelete
  sleep 1
  shot 3-error.png
  stop_all_wine
}

start_virtual_display 1024x768x24
trap 'stop_all_wine; kill "$VIRTUAL_DISPLAY_PID" 2>/dev/null || true' EXIT
photograph 96 windows
photograph 144 windows-144dpi
