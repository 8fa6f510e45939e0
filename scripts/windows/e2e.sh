#!/usr/bin/env bash
# scripts/windows/e2e.sh BUILD
#
# End to end under Wine: the built dustvane.exe of BUILD on the display
# $DISPLAY, in the Wine prefix $WINEPREFIX, driven only by real X input
# (xdotool) as a user would. Its windows are read back by window-text.exe,
# which asks them with window messages. Run by scripts/test-windows.sh.
#
# The drive T: is a tmpfs volume of the test's own, mounted in a private
# mount namespace (needs root): pick it in the drive list, search it, delete
# one line (exactly that file goes), delete it again (a message, and the
# program keeps running), delete the line T:\d.\a.tmp (that file goes, not
# T:\d\a.tmp beside it); then search the local disk, whose total must be
# what dustvane-walk.exe finds on C:; then Exit ends the program.
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
build=$(cd "$1" && pwd)
# shellcheck source=scripts/windows/windows-input.sh
source "$scripts/windows/windows-input.sh" "$build"
program="$build/app/win32/dustvane.exe"
walk="$build/bench/dustvane-walk.exe"

if [ -z "${DUSTVANE_E2E_INSIDE:-}" ]; then
  if [ "$(id -u)" -ne 0 ] || ! unshare --mount --propagation private true 2>/dev/null; then
    cannot_run_here "e2e ($WINEARCH)" "needs root and private mount namespaces to mount its volume"
    end_stage "e2e ($WINEARCH)" 0 0 1
  fi
  # Wine opens files in its server: a server of this prefix that runs
  # outside the namespace would not see the volume.
  wineserver -k 2>/dev/null || true
  DUSTVANE_E2E_INSIDE=1 exec unshare --mount --propagation private bash "$0" "$@"
fi

work=$(mktemp -d /tmp/dustvane-wine-e2e-XXXXXX)
vol="$work/vol"
fixture="$WINEPREFIX/drive_c/dustvane-e2e"
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/t:"
  rm -rf "$fixture"
  umount "$vol" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  [ -n "${DUSTVANE_E2E_SHOT:-}" ] && import -window root "$DUSTVANE_E2E_SHOT"
  echo "e2e ($WINEARCH): FAILED: $*"
  end_stage "e2e ($WINEARCH)" 0 1 0
}

# The volume, as drive T:.
mkdir -p "$vol"
mount -t tmpfs -o size=8m,mode=755 dustvane-wine-e2e "$vol"
mkdir -p "$vol/keep" "$vol/sub/deep" "$vol/d" "$vol/d."
for f in a.tmp keep/b.TMP keep/c.tmp sub/deep/d.Tmp sub/e.tmp other.txt keep/f.tmpl d/a.tmp d./a.tmp; do
  printf 'data' >"$vol/$f"
done
ln -sfn "$vol" "$WINEPREFIX/dosdevices/t:"
snapshot() { (cd "$vol" && find . -type f | sort); }
before=$(snapshot)
# Matches of known sizes on C:, so that its total is more than nothing.
mkdir -p "$fixture/deep"
head -c 1234 /dev/zero >"$fixture/one.tmp"
head -c 567890 /dev/zero >"$fixture/deep/two.TMP"

wine "$program" >"$work/program.log" 2>&1 &
program_pid=$!
main=$(find_window '^Dustvane$') || true
[ -n "$main" ] || fail "the main window did not appear"
xdotool windowfocus --sync "$main"

pick_drive "$main" t
xdotool windowfocus --sync "$main"
press alt+s
found=$(find_window '^Found$') || true
[ -n "$found" ] || fail "the results window did not appear"
wait_enabled Dustvane cmdSearch 20 || fail "the search button did not come back"

# The lines are what dustvane-walk finds on T:, in its order.
listed=$(peek Found | sed -n 's/^line //p')
walked=$(wine "$walk" --list 'T:\' 2>/dev/null | iconv -f UTF-16LE -t UTF-8 | tr -d '\r')
[ "$listed" = "$walked" ] || fail "the list shows '$listed', dustvane-walk found '$walked'"
target=$(head -n 1 <<<"$listed")

# The first line, selected with the keyboard in the list, then Delete.
xdotool windowfocus --sync "$found"
click_control "$found" Found List1
press Home
[ "$(peek Found | sed -n 's/^selected //p')" = 0 ] || fail "the first line is not selected"
press alt+d
after=$(snapshot)
gone=$(comm -23 <(echo "$before") <(echo "$after"))
expected="./$(sed -e 's/^T:\\//' -e 's/\\/\//g' <<<"$target")"
[ "$gone" = "$expected" ] || fail "expected only $expected to go, but gone: '$gone'"

# The same line again: the file is gone, so a message, and the program carries on.
windows_before=$(visible_windows)
press alt+d
message=""
for _ in $(seq 50); do
  message=$(comm -13 <(echo "$windows_before") <(visible_windows) | head -n 1)
  [ -n "$message" ] && break
  sleep 0.2
done
[ -n "$message" ] || fail "no message for the second delete"
text=$(peek "$(xdotool getwindowname "$message")" | grep -o 'Error: [0-9]* - .*' || true)
[ -n "$text" ] || fail "the message does not say 'Error: N - description'"
echo "e2e ($WINEARCH): the second delete says: $text"
xdotool windowfocus --sync "$message"
press Return
kill -0 "$program_pid" 2>/dev/null || fail "the program ended after the failed delete"
[ "$(snapshot)" = "$after" ] || fail "the failed delete changed the tree"

# The line of a file in a folder whose name ends in a dot, picked with the
# keyboard: that file goes, and the file of the same name in "d" stays.
index=$(grep -nxF 'T:\d.\a.tmp' <<<"$listed" | cut -d: -f1)
[ -n "$index" ] || fail "no line T:\\d.\\a.tmp in '$listed'"
xdotool windowfocus --sync "$found"
click_control "$found" Found List1
# shellcheck disable=SC2046
press Home $(yes Down | head -n $((index - 1)))
[ "$(peek Found | sed -n 's/^selected //p')" = $((index - 1)) ] || fail "the line T:\\d.\\a.tmp is not selected"
press alt+d
gone=$(comm -23 <(echo "$after") <(snapshot))
[ "$gone" = ./d./a.tmp ] || fail "deleting the line T:\\d.\\a.tmp should remove ./d./a.tmp only, but gone: '$gone'"

# The local disk: the summary's total is dustvane-walk's total for C:.
click_control "$found" Found cmdClose
click_control "$main" Dustvane optSearchAll
click_control "$main" Dustvane cmdSearch
find_window '^Found$' >/dev/null || fail "the results window did not come back"
wait_enabled Dustvane cmdSearch 20 || fail "the search button did not come back"
summary=$(peek Found | grep -o 'Size of files found under C:\\ = [0-9.,  ]* Bytes' || true)
walked_bytes=$(wine "$walk" 'C:\' 2>&1 >/dev/null | tr -d '\r' | sed -n 's/^files=.* bytes=\([0-9]*\).*/\1/p')
[ -n "$summary" ] || fail "no summary line for C:\\ ($(peek Found | grep -v '^line' | tr '\n' ' '))"
shown=$(sed 's/ Bytes$//; s/.* = //; s/[^0-9]//g' <<<"$summary")
[ "$shown" = "$walked_bytes" ] || fail "the summary says '$summary', dustvane-walk found $walked_bytes bytes"
echo "e2e ($WINEARCH): $summary"

click_control "$found" Found cmdClose
click_control "$main" Dustvane cmdExit
timeout 20 tail --pid="$program_pid" -f /dev/null || fail "the program did not end on Exit"
program_pid=""
end_stage "e2e ($WINEARCH)" 1 0 0
