#!/usr/bin/env bash
# End-to-end: the built program under a real X server (Xvfb), driven only by
# real X input (xdotool), over a small tree on a tmpfs volume of its own.
#
# Everything happens in a private mount namespace, so the volume is visible
# to this test alone and vanishes with it; the program runs as "nobody", and
# the tree belongs to "nobody", so that nothing outside the tree could be
# deleted even if the test went wrong.
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
build="${DUSTVANE_BUILD_DIR:-$top/build}"
program="$build/app/dustvane"
walk="$build/bench/dustvane-walk"

if [ -z "${DUSTVANE_E2E_INSIDE:-}" ]; then
  if [ "$(id -u)" -ne 0 ]; then
    cannot_run_here e2e "needs root to mount a private volume (run as root, as CI does)"
    end_stage e2e 0 0 1
  fi
  if ! unshare --mount --propagation private true 2>/dev/null; then
    cannot_run_here e2e "private mount namespaces are not allowed here"
    end_stage e2e 0 0 1
  fi
  [ -x "$program" ] || { echo "e2e: $program is not built"; exit 1; }
  DUSTVANE_E2E_INSIDE=1 exec unshare --mount --propagation private "$0" "$@"
fi

work=$(mktemp -d /tmp/dustvane-e2e-XXXXXX)
xvfb_pid="" program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  umount "$work/vol" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "e2e: FAILED: $*"; end_stage e2e 0 1 0; }

# The volume and its tree.
vol="$work/vol"
mkdir -p "$vol"
mount -t tmpfs -o size=8m,mode=755 dustvane-e2e "$vol"
mkdir -p "$vol/keep" "$vol/sub/deep"
for f in a.tmp keep/b.TMP keep/c.tmp sub/deep/d.Tmp sub/e.tmp other.txt keep/f.tmpl; do
  printf 'data' > "$vol/$f"
done
chown -R nobody:nogroup "$vol"
snapshot() { (cd "$vol" && find . -type f | sort); }
before=$(snapshot)
# The walk lists in the same order as the window will; its first line is the
# one the keyboard selects.
target=$("$walk" --list "$vol" 2>/dev/null | head -n 1)
[ -n "$target" ] || fail "the tree has no match"

# The X server (open to "nobody": -ac) and the program, as "nobody". The
# checkout may lie where "nobody" cannot go (inside a private 0700 folder),
# so the program runs from a copy in the work folder, and from there.
chmod 755 "$work"
runtime="$work/runtime"
mkdir -m 700 "$runtime" && chown nobody:nogroup "$runtime"
as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
program=$(stage_program "$program" "$work")
"${as_nobody[@]}" test -x "$program" || fail "the user nobody cannot run $program (a folder on its path is closed to others)"
VIRTUAL_DISPLAY_LOG="$work/xvfb.log" start_virtual_display 1280x1024x24 -ac || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
xvfb_pid=$VIRTUAL_DISPLAY_PID
(cd "$work" && exec "${as_nobody[@]}" env -i DISPLAY="$DISPLAY" HOME="$runtime" XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb \
  "$program" >"$work/program.log" 2>&1) &
program_pid=$!

windows_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l; }

main=$(find_window '^Dustvane$') || true
[ -n "$main" ] || fail "the main window did not appear: $(cat "$work/program.log")"
xdotool windowfocus --sync "$main"
# "Drive:" (optDrive), then Drive1: the newest mount, our volume, is listed last.
click_named "$build" "$main" frmMain optDrive || fail "cannot click optDrive"
press Tab
press End
press alt+s

found=$(find_window '^Found$') || true
[ -n "$found" ] || fail "the results window did not appear"
xdotool windowfocus --sync "$found"
press Down
press Up
press alt+d
after=$(snapshot)
gone=$(comm -23 <(echo "$before") <(echo "$after"))
[ "$gone" = ".${target#"$vol"}" ] || fail "expected only ${target#"$vol/"} to go, but gone: '${gone}'"
[ "$(echo "$after" | wc -l)" -eq "$(($(echo "$before" | wc -l) - 1))" ] || fail "more than one file went"

# The same line again: the file is gone, so a message, and the program carries on.
press alt+d
for _ in $(seq 50); do [ "$(windows_named '^Dustvane$')" -ge 2 ] && break; sleep 0.1; done
[ "$(windows_named '^Dustvane$')" -ge 2 ] || fail "no message for the second delete"
press Return
kill -0 "$program_pid" 2>/dev/null || fail "the program ended after the failed delete"
[ "$(snapshot)" = "$after" ] || fail "the failed delete changed the tree"

xdotool windowfocus --sync "$found"
press alt+c
xdotool windowfocus --sync "$main"
press alt+e
status=0
timeout 10 tail --pid="$program_pid" -f /dev/null || fail "the program did not end on Exit"
wait "$program_pid" || status=$?
program_pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status"
end_stage e2e 1 0 0
