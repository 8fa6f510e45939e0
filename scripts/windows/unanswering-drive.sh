#!/usr/bin/env bash
# scripts/windows/unanswering-drive.sh BUILD
#
# Start-up waits on no drive: the program of BUILD, in the Wine prefix
# $WINEPREFIX on the display $DISPLAY, is started beside a drive H: whose
# volume never answers. Its main window must appear at once and answer the
# user, and Exit must end it. Run by scripts/test-windows.sh.
#
# The volume is a file system that never answers (with-unanswering-mount,
# from the Linux build), in a private mount namespace (needs root and
# /dev/fuse). Wine itself looks at every drive letter's folder each time a
# program starts, before the program runs, so a letter mapped straight onto
# such a mount would hang Wine whatever the program does. H: is therefore a
# folder of its own whose volume label lies on the mount: Wine reads a
# drive's label from the file .windows-label at its top, and also reaches it
# when asked the drive's kind. So whatever asks H:'s volume waits for good,
# as on a network drive whose server has gone.
#
# What Wine cannot show: its mount manager reads every label while it lists
# the drive letters, so it stalls too (Wine's own start takes some 30 s more)
# and then leaves H:, and every letter after it, out of the drive list. So
# the test cannot see H: offered in Drive1, as Windows would offer it.
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
build=$(cd "$1" && pwd)
# shellcheck source=scripts/windows/windows-input.sh
source "$scripts/windows/windows-input.sh" "$build"
program="$build/app/win32/dustvane.exe"
stage="unanswering drive ($WINEARCH)"
fail() { echo "$stage: FAILED: $*"; end_stage "$stage" 0 1 0; }

if [ -z "${DUSTVANE_UNANSWERING_DRIVE:-}" ]; then
  if [ "$(id -u)" -ne 0 ]; then
    cannot_run_here "$stage" "needs root to mount a file system that never answers"
    end_stage "$stage" 0 0 1
  fi
  tool="${DUSTVANE_BUILD_DIR:-$top/build}/tests/with-unanswering-mount"
  work=$(mktemp -d /tmp/dustvane-wine-unanswering-XXXXXX)
  trap 'rm -rf "$work"' EXIT
  if [ ! -x "$tool" ]; then
    # Two files and no library: built here when the Linux build has not.
    g++ -std=c++20 -O1 -I"$top" "$top/tests/tools/with_unanswering_mount.cpp" \
      "$top/tests/support/unanswering_mount.cpp" -o "$work/with-unanswering-mount" ||
      fail "cannot build with-unanswering-mount"
    tool="$work/with-unanswering-mount"
  fi
  mkdir -p "$work/drive/.windows-label"
  # Wine's server must run inside the namespace to see the mount.
  wineserver -k 2>/dev/null || true
  status=0
  DUSTVANE_UNANSWERING_DRIVE="$work/drive" "$tool" "$work/drive/.windows-label" bash "$0" "$@" || status=$?
  if [ "$status" = "$skipped_status" ]; then
    cannot_run_here "$stage" "this machine does not allow the mount (no /dev/fuse or no mount namespaces)"
    end_stage "$stage" 0 0 1
  fi
  exit "$status"
fi

program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  # Ends whatever of Wine still waits on the mount, before the mount goes.
  wineserver -k 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/h:"
}
trap cleanup EXIT
ln -sfn "$DUSTVANE_UNANSWERING_DRIVE" "$WINEPREFIX/dosdevices/h:"

seconds_since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }'; }
started=$(date +%s.%N)
wine cmd.exe /c exit >/dev/null 2>&1 || true
echo "$stage: Wine itself started in $(seconds_since "$started") s"
started=$(date +%s.%N)
wine "$program" >/dev/null 2>&1 &
program_pid=$!
main=$(find_window '^Dustvane$' 60) || true
[ -n "$main" ] || fail "the main window did not appear within 60 s"
echo "$stage: the main window appeared after $(seconds_since "$started") s"

# The window answers the user: the Drive: option enables the drive list.
xdotool windowfocus --sync "$main"
click_control "$main" Dustvane optDrive
wait_enabled Dustvane Drive1 || fail "Drive1 was not enabled by the Drive: option"
click_control "$main" Dustvane cmdExit
timeout 20 tail --pid="$program_pid" -f /dev/null || fail "the program did not end on Exit"
program_pid=""
end_stage "$stage" 1 0 0
