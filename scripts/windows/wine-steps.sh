#!/usr/bin/env bash
# The steps of the Windows stage under Wine, run by scripts/test-windows.sh
# inside the Wine root (scripts/windows/wine-root.sh) once both builds are
# there: for 64-bit and for 32-bit Windows, each in a Wine prefix of its own,
# made once and used by every step:
#   - the CTest suite of that build (engine tests, the windows' handlers over
#     fake controls, Windows-layer and Windows window tests), on a virtual
#     display (Xvfb);
#   - dustvane-walk over a tree on C:, its lines checked;
#   - the program end to end, driven by xdotool (scripts/windows/e2e.sh);
#   - the caption test again under a 9-point desktop message font
#     (scripts/windows/message-font.sh);
#   - its start beside a drive that never answers
#     (scripts/windows/unanswering-drive.sh);
#   - the shipped installer: silent install, start, silent uninstall
#     (scripts/windows/installer-check.sh).
# Ends with "windows: N passed, N failed, N skipped" over those steps.
#
# The 32-bit programs, and the installer (a 32-bit program), need the kernel
# to run 32-bit code; where it does not, qemu runs them for the length of the
# stage (scripts/windows/i386.sh), and nothing stays registered afterwards.
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
# shellcheck source=scripts/windows/wine.sh
source "$scripts/windows/wine.sh"
# shellcheck source=scripts/windows/i386.sh
source "$scripts/windows/i386.sh"
# shellcheck source=scripts/windows/message-font.sh
source "$scripts/windows/message-font.sh"
out="${DUSTVANE_WIN_OUT:-$top}"
jobs="${DUSTVANE_JOBS:-2}"
run_name="windows"
started=$SECONDS

VIRTUAL_DISPLAY_PID=""
end_wine_run() {
  stop_all_wine
  [ -z "$VIRTUAL_DISPLAY_PID" ] || kill "$VIRTUAL_DISPLAY_PID" 2>/dev/null || true
  stop_emulating_32bit
}
trap end_wine_run EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# Why the 32-bit steps cannot run here; empty when they can.
no_32bit=""
if prepare_32bit "$out/build-win32"; then
  echo "32-bit programs run $i386_how"
else
  no_32bit="32-bit programs do not run here (see above)"
fi
prepared=$SECONDS
start_virtual_display 1024x768x24

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

# The engine's exact-path test: names that a plain Windows path does not
# reach (a trailing dot or space, device names), made here on the Linux side
# so that they are what the disk holds, each file of a size of its own (the
# test's table lists the same). The test removes every file, line by line;
# what is left is checked from here.
make_exact_tree() {
  local tree="$1/dvexact" size file
  rm -rf "$tree"
  mkdir -p "$tree"/{d,d.,e.,s,"s ",res/sub}
  while read -r size file; do head -c "$size" /dev/zero >"$tree/$file"; done <<'TREE'
4 d./a.tmp
2 d/a.tmp
8 e./b.tmp
32 s /x.tmp
16 s/x.tmp
64 res/a.tmp
128 res/CON.tmp
256 res/nul.tmp
512 res/aux.TMP
1024 res/COM1.tmp
2048 res/zz.tmp
4096 res/sub/deeper.tmp
TREE
}
check_exact_tree() {
  local tree="$1/dvexact" left
  left=$(cd "$tree" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' '|')
  rm -rf "$tree"
  if [ "$left" != "./d|./d.|./e.|./res|./res/sub|./s|./s |" ]; then
    echo "the exact-path test should have left its folders only, but left: $left"
    return 1
  fi
}

# The engine's test of a delete after the tree changed: the drive P: on a
# tree made here, each line "x.tmp", and files of the same name in "outside",
# "other" and "mirror" (the drive M:), where the test's rows, from the Linux
# side, make the lines' paths lead after the search; four lines are links
# to such files already. "saved" is an older copy of one of P:'s folders,
# times included, whose file was written again since.
make_walked_tree() {
  local tree="$1/dvwalked" folder file
  rm -rf "$tree"
  for folder in c1 c2 c3 c4 c5 c6 c10 c11 c12 c13; do
    mkdir -p "$tree/drive/$folder/a/b"
    printf 'listed' >"$tree/drive/$folder/a/b/x.tmp"
  done
  for file in outside/c1/b/x.tmp outside/c2/x.tmp outside/c7/x.tmp other/c6/a/b/x.tmp mirror/c9/a/b/x.tmp; do
    mkdir -p "$(dirname "$tree/$file")"
    printf 'outside' >"$tree/$file"
  done
  mkdir -p "$tree/drive/c7/a/b" "$tree/drive/c8/a/b" "$tree/drive/c9/a/b" "$tree/drive/c13/a./b"
  ln -s ../../../../outside/c7/x.tmp "$tree/drive/c7/a/b/x.tmp"
  ln -s ../../../c4/a/b/x.tmp "$tree/drive/c8/a/b/x.tmp"
  ln -s ../../../../mirror/c9/a/b/x.tmp "$tree/drive/c9/a/b/x.tmp"
  ln -s ../../a/b/x.tmp "$tree/drive/c13/a./b/x.tmp"
  mkdir -p "$tree/saved"
  cp -a "$tree/drive/c12" "$tree/saved/c12"
  printf 'an older one' >"$tree/saved/c12/a/b/x.tmp"
  ln -sfn "$tree/drive" "$WINEPREFIX/dosdevices/p:"
  ln -sfn "$tree/mirror" "$WINEPREFIX/dosdevices/m:"
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

# The CTest suite of the $1-bit build, in the current prefix.
# The trees it needs are made here, from the Linux side, and what the
# exact-name test must leave is checked here too.
check_tests() {
  local status=0
  make_link_tree "$WINEPREFIX/drive_c"
  make_exact_tree "$WINEPREFIX/drive_c"
  make_walked_tree "$WINEPREFIX/drive_c"
  (DUSTVANE_FOLDER_LINKS='C:\dvlinks' DUSTVANE_EXACT_NAMES='C:\dvexact' \
    DUSTVANE_WALKED_TREE='C:\dvwalked' DUSTVANE_WALKED_DRIVE='P:' DUSTVANE_WALKED_MAPPING="$WINEPREFIX/dosdevices/p:" \
    ctest_stage "win$1 tests" "$out/build-win$1" -j "$jobs") || status=$?
  rm -rf "$WINEPREFIX/drive_c/dvlinks" "$WINEPREFIX/drive_c/dvwalked" "$WINEPREFIX/dosdevices/p:" "$WINEPREFIX/dosdevices/m:"
  check_exact_tree "$WINEPREFIX/drive_c" || status=1
  return "$status"
}

# Windows 10 and 11 give the desktop a 9-point message font; Wine has no
# Segoe UI, and DejaVu Sans at 9 points is no narrower. The captions must still
# fit, since the windows use the dialog font they were laid out for.
check_captions_under_9_points() {
  with_message_font 9 "DejaVu Sans" wine "$1/tests/ui/win32/win32_ui_tests.exe" \
    --gtest_filter='WindowLayoutTest.EveryCaption*' | tr -d '\r' | grep -E '^\[  PASSED  \] [1-9]|^\[  FAILED  \]|Failure|actual|dpi'
}

# step NAME COMMAND...: one step of the stage, or, when `skip_why` says why
# it cannot run here, a step skipped.
skip_why=""
step() {
  if [ -n "$skip_why" ]; then
    skip_stage "$1" "$skip_why"
  else
    run_stage "$@"
  fi
}

# The steps of the $1-bit Windows, in its own Wine prefix.
architecture_steps() {
  local bits=$1 build="$out/build-win$1"
  [ -n "$skip_why" ] || use_wine_prefix "$build/wine-prefix" "win$bits"
  step "$bits-bit tests under Wine" check_tests "$bits"
  step "$bits-bit captions under a 9-point message font" check_captions_under_9_points "$build"
  step "$bits-bit dustvane-walk" check_walk "$build"
  step "$bits-bit end to end" bash "$scripts/windows/e2e.sh" "$build"
  step "$bits-bit start beside a drive that never answers" bash "$scripts/windows/unanswering-drive.sh" "$build"
}

architecture_steps 64
skip_why=$no_32bit
architecture_steps 32
# The shipped installer is a 32-bit program, on 64-bit Windows too.
for bits in 64 32; do
  step "installer on $bits-bit Windows" bash "$scripts/windows/installer-check.sh" "$out" "$bits"
done

echo "Windows steps: 32-bit set-up $((prepared - started)) s; total $((SECONDS - started)) s"
end_run
