#!/usr/bin/env bash
# The Windows stage: builds both executables, their tests and the installer
# (scripts/build-windows.sh), then under Wine, for 64-bit and for 32-bit
# Windows each in a Wine prefix of its own:
#   - the CTest suite of that build (engine tests, Windows-layer tests, and
#     whatever window tests the build has), on a virtual display (Xvfb);
#   - dustvane-walk over a tree on C:, its lines checked;
#   - the program end to end, driven by xdotool (scripts/windows/e2e.sh);
#   - its start beside a drive that never answers
#     (scripts/windows/unanswering-drive.sh);
#   - the installer: silent install, start, silent uninstall
#     (scripts/windows/installer-check.sh).
#
# Installs what it needs when missing (as root; otherwise it prints the
# command to run), including the i386 architecture that wine32 needs.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
out="${DUSTVANE_WIN_OUT:-$top}"
jobs="${DUSTVANE_JOBS:-2}"

# shellcheck source=scripts/lib.sh
source "$here/lib.sh"
# shellcheck source=scripts/windows/wine.sh
source "$here/windows/wine.sh"
# shellcheck source=scripts/windows/message-font.sh
source "$here/windows/message-font.sh"
started=$SECONDS
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "32-bit Wine needs the i386 architecture. Add it, then run this again:"
    echo "  sudo dpkg --add-architecture i386 && sudo apt-get update"
    exit 1
  fi
  dpkg --add-architecture i386
  apt-get update -qq
fi
install_packages "$here/packages-windows-build.txt" "$here/packages-windows.txt"
installed=$SECONDS

bash "$here/build-windows.sh"
built=$SECONDS

start_virtual_display 1024x768x24
trap 'stop_all_wine; kill "$VIRTUAL_DISPLAY_PID" 2>/dev/null || true' EXIT

# The engine's link tests: Wine cannot make junctions, but reports links made
# on the Linux side as folders with a reparse point, as Windows does
# junctions. back loops to the top, away.tmp leads out of the tree.
make_link_tree() {
  local links="$1/dvlinks"
  rm -rf "$links"
  mkdir -p "$links/inner"
  printf 'x' >"$links/kept.tmp"
  printf 'xy' >"$links/inner/inner.tmp"
  ln -s .. "$links/inner/back"
  ln -s ../../windows "$links/inner/away.tmp"
}

# dustvane-walk over a tree on C:, its lines (UTF-16LE) read back as UTF-8.
check_walk() {
  local build="$1" tree="$WINEPREFIX/drive_c/dvwalk"
  rm -rf "$tree"
  mkdir -p "$tree/sub/old.tmp" "$tree/sub/empty"
  printf '123' >"$tree/a.tmp"
  printf '12345' >"$tree/B.TMP"
  printf 'no' >"$tree/notes.tmpl"
  printf '1234567' >"$tree/.hidden.tmp"
  printf '1' >"$tree/sub/Mixed.Tmp"
  printf '12' >"$tree/sub/old.tmp/inner.tmp"
  printf '1234' >"$tree/sub/caf$(printf '\xc3\xa9').tmp"
  wine "$build/bench/dustvane-walk.exe" --list 'C:\dvwalk' >"$build/walk.out" 2>"$build/walk.err"
  local actual expected summary
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
  rm -rf "$tree"
  if [ "$actual" != "$expected" ] || [ "$summary" != "files=6 folders=3 bytes=22" ]; then
    echo "dustvane-walk under Wine found:"
    echo "$actual"
    tr -d '\r' <"$build/walk.err"
    echo "expected:"
    echo "$expected"
    echo "files=6 folders=3 bytes=22"
    return 1
  fi
  echo "dustvane-walk under Wine: $summary"
}

times=()
for bits in 64 32; do
  build="$out/build-win$bits"
  if [ "$bits" = 32 ] && ! can_run_32bit; then
    echo "== Windows 32-bit: SKIPPED under Wine: this kernel runs no 32-bit programs (built and checked only)"
    continue
  fi
  phase=$SECONDS
  use_wine_prefix "$build/wine-prefix" "win$bits"
  echo "== Windows $bits-bit: tests under Wine"
  make_link_tree "$WINEPREFIX/drive_c"
  (cd "$build" && DUSTVANE_FOLDER_LINKS='C:\dvlinks' ctest --output-on-failure -j "$jobs")
  rm -rf "$WINEPREFIX/drive_c/dvlinks"
  # Windows 10 and 11 give the desktop a 9-point message font; Wine has no
  # Segoe UI, and DejaVu Sans at 9 points is no narrower. The captions must still
  # fit, since the windows use the dialog font they were laid out for.
  echo "== Windows $bits-bit: captions under a 9-point message font"
  with_message_font 9 "DejaVu Sans" wine "$build/tests/win32/win32_ui_tests.exe" \
    --gtest_filter='WindowLayoutTest.EveryCaption*' | tr -d '\r' | grep -E '^\[  (PASSED|FAILED) |Failure|actual|dpi'
  check_walk "$build"
  echo "== Windows $bits-bit: end to end"
  bash "$here/windows/e2e.sh" "$build"
  echo "== Windows $bits-bit: start-up beside a drive that never answers"
  bash "$here/windows/unanswering-drive.sh" "$build"
  times+=("$bits-bit $((SECONDS - phase)) s")
done

echo "== Windows installer"
phase=$SECONDS
bash "$here/windows/installer-check.sh" "$out"
times+=("installer $((SECONDS - phase)) s")

echo "Windows stage: installs $((installed - started)) s, build $((built - installed)) s, ${times[*]};" \
  "total $((SECONDS - started)) s"
