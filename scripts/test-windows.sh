#!/usr/bin/env bash
# The search engine on Windows: cross-compiles the engine, its portable tests,
# the Windows-layer tests and dustvane-walk with mingw-w64, then runs them
# under Wine with no display, on real folders of Wine's C: drive.
#
# Installs what scripts/packages-windows.txt lists when it is missing (as
# root; otherwise it prints the command to run). Builds in build-win/ (or
# $DUSTVANE_WIN_BUILD_DIR), with a private Wine prefix inside it.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
build="${DUSTVANE_WIN_BUILD_DIR:-$top/build-win}"
jobs="${DUSTVANE_JOBS:-2}"

# shellcheck source=scripts/lib.sh
source "$here/lib.sh"
install_packages "$here/packages-windows.txt"
started=$SECONDS

# Release: without debug information the cross build takes half the time.
cmake -S "$top/tests/win32" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$jobs"
built=$SECONDS

# Wine with no display, quiet, and in a prefix of its own. Mono and Gecko are
# not wanted: their installers would ask on a screen there is none of.
unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX="$build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
stop_wine() { wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix"
  wineboot -i >"$build/wineboot.log" 2>&1
  wineserver -w
fi
drive_c="$WINEPREFIX/drive_c"
booted=$SECONDS

# Wine cannot make junctions, but reports links made on the Linux side as
# folders with a reparse point, as Windows does junctions: the link tests use
# these. back loops to the top, away.tmp leads out of the tree.
links="$drive_c/dvlinks"
rm -rf "$links"
mkdir -p "$links/inner"
printf 'x' >"$links/kept.tmp"
printf 'xy' >"$links/inner/inner.tmp"
ln -s .. "$links/inner/back"
ln -s ../../windows "$links/inner/away.tmp"
export DUSTVANE_FOLDER_LINKS='C:\dvlinks'

(cd "$build" && ctest --output-on-failure -j "$jobs")
tested=$SECONDS

# dustvane-walk over a tree on C:, its lines (UTF-16LE) read back as UTF-8.
tree="$drive_c/dvwalk"
rm -rf "$tree"
mkdir -p "$tree/sub/old.tmp" "$tree/sub/empty"
printf '123' >"$tree/a.tmp"
printf '12345' >"$tree/B.TMP"
printf 'no' >"$tree/notes.tmpl"
printf '1234567' >"$tree/.hidden.tmp"
printf '1' >"$tree/sub/Mixed.Tmp"
printf '12' >"$tree/sub/old.tmp/inner.tmp"
printf '1234' >"$tree/sub/caf$(printf '\xc3\xa9').tmp"
wine "$build/dustvane-walk.exe" --list 'C:\dvwalk' >"$build/walk.out" 2>"$build/walk.err"
actual=$(iconv -f UTF-16LE -t UTF-8 "$build/walk.out" | sort)
expected=$(sort <<LINES
C:\\dvwalk\\a.tmp
C:\\dvwalk\\B.TMP
C:\\dvwalk\\.hidden.tmp
C:\\dvwalk\\sub\\Mixed.Tmp
C:\\dvwalk\\sub\\caf$(printf '\xc3\xa9').tmp
C:\\dvwalk\\sub\\old.tmp\\inner.tmp
LINES
)
summary=$(tr -d '\r' <"$build/walk.err" | grep '^files=' | cut -d' ' -f1-3)
rm -rf "$tree" "$links"
if [ "$actual" != "$expected" ] || [ "$summary" != "files=6 folders=3 bytes=22" ]; then
  echo "dustvane-walk under Wine found:"
  echo "$actual"
  tr -d '\r' <"$build/walk.err"
  echo "expected:"
  echo "$expected"
  echo "files=6 folders=3 bytes=22"
  exit 1
fi
echo "dustvane-walk under Wine: $summary"

echo "Windows stage: build $((built - started)) s, Wine prefix $((booted - built)) s," \
  "tests $((tested - booted)) s, walk $((SECONDS - tested)) s"
