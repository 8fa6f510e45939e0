#!/usr/bin/env bash
# scripts/windows/installer-check.sh OUT BITS
#
# The shipped installer (OUT/dist/dustvane-VERSION-setup.exe, a 32-bit
# program) under Wine on BITS-bit Windows, in the Wine prefix of
# OUT/build-winBITS: a silent install puts the BITS-bit program in Program
# Files, a Start-menu shortcut and an entry in the list of installed
# programs; the program starts from the shortcut's target; a silent
# uninstall through the entry's QuietUninstallString leaves no file and no
# registry key behind that was not there before. Run by
# scripts/test-windows.sh, which makes the prefixes and the display, and
# sees to it that 32-bit programs run.
# shellcheck source=scripts/windows/wine.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine.sh"
out=$(cd "$1" && pwd)
bits=$2

setup=$(ls "$out"/dist/dustvane-*-setup.exe)
version=$(basename "$setup" | sed 's/^dustvane-\(.*\)-setup\.exe$/\1/')
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Dustvane'
link='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Dustvane.lnk'
program_pid=""
trap '[ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null; stop_all_wine' EXIT

fail() { echo "installer: FAILED ($WINEARCH): $*"; end_stage "installer (win$bits)" 0 1 0; }

# What is in the prefix: every file and link outside the drive mappings, and
# every registry key (their timestamps aside).
prefix_state() {
  wineserver -w
  (cd "$WINEPREFIX" && find . -path ./dosdevices -prune -o -print | sort)
  cat "$WINEPREFIX"/*.reg | sed -n 's/^\(\[[^]]*\]\).*/\1/p' | sort
}

# A value of the entry in the list of installed programs, as reg.exe shows it.
entry_value() {
  wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z]* *//p"
}

use_wine_prefix "$out/build-win$bits/wine-prefix" "win$bits"
# Windows always has the key that holds the entries; a new Wine prefix
# does not, and the installer would make it.
wine reg add "${key%\\Dustvane}" /f >/dev/null
before=$(prefix_state)

wine "$setup" /S
wineserver -w
drive_c="$WINEPREFIX/drive_c"
installed="$drive_c/Program Files/Dustvane/dustvane.exe"
[ -f "$installed" ] || fail "no $installed"
cmp -s "$installed" "$out/build-win$bits/app/win32/dustvane.exe" || fail "the installed program is not the $bits-bit one"

[ "$(entry_value DisplayName)" = "Dustvane" ] || fail "DisplayName is '$(entry_value DisplayName)'"
[ "$(entry_value DisplayVersion)" = "$version" ] || fail "DisplayVersion is '$(entry_value DisplayVersion)'"
[ "$(entry_value Publisher)" != "" ] || fail "no Publisher"
[ "$(entry_value DisplayIcon)" = 'C:\Program Files\Dustvane\dustvane.exe,0' ] ||
  fail "DisplayIcon is '$(entry_value DisplayIcon)'"
quiet=$(entry_value QuietUninstallString)
[ "$quiet" = '"C:\Program Files\Dustvane\uninstall.exe" /S' ] || fail "QuietUninstallString is '$quiet'"
[ "$(entry_value UninstallString)" = '"C:\Program Files\Dustvane\uninstall.exe"' ] ||
  fail "UninstallString is '$(entry_value UninstallString)'"

target=$(wine "$out/build-win$bits/tests/win32/shortcut-target.exe" "$link" | tr -d '\r') ||
  fail "no Start-menu shortcut"
[ "$target" = 'C:\Program Files\Dustvane\dustvane.exe' ] || fail "the shortcut starts '$target'"
wine "$target" &
program_pid=$!
window=$(find_window '^Dustvane$') || true
[ -n "$window" ] || fail "the program from the shortcut shows no window"
kill -0 "$program_pid" 2>/dev/null || fail "the program from the shortcut ended"
wineserver -k
wait "$program_pid" 2>/dev/null || true
program_pid=""

# The command as the entry gives it: the quoted uninstaller, then /S. It
# copies itself to the temporary folder and runs from there.
uninstaller=$(sed -n 's/^"\([^"]*\)" \/S$/\1/p' <<<"$quiet")
wine "$uninstaller" /S
wineserver -w
# That copy is deleted at the next start of Windows, as Windows does it.
wine wineboot.exe -r
# The folder of that copy stays, empty, in the user's Temp folder, as NSIS
# leaves it on Windows too; anything inside it would still count.
left=$(comm -13 <(echo "$before") <(prefix_state) | grep -v '^\./drive_c/users/[^/]*/Temp/~nsu[^/]*\.tmp$' || true)
[ -z "$left" ] || fail "left behind after uninstalling: $left"
echo "installer ($WINEARCH): installed, started from the shortcut, uninstalled without a trace"
end_stage "installer (win$bits)" 1 0 0
