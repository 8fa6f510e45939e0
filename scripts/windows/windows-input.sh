# Driving the program's windows under Wine as a user would, with xdotool,
# and reading them back with window-text.exe of the build given:
#   source scripts/windows/windows-input.sh BUILD
# Controls are found by their names in the windows' descriptions. A step
# that cannot be done ends the script through `fail`, the caller's own when
# it has one.

# shellcheck source=scripts/windows/wine.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine.sh"
window_text="$1/tests/win32/window-text.exe"
declare -F fail >/dev/null || fail() { echo "FAILED: $*"; exit 1; }

# window-text's lines for the window of title $1:
# "control NAME CLASS ID ENABLED VISIBLE X Y W H TEXT", "line TEXT", "selected N".
peek() { wine "$window_text" "$1" | tr -d '\r'; }
# The text of the control named $2 in the window of title $1.
control_text() { peek "$1" | awk -v name="$2" '$1 == "control" && $2 == name { $1 = $2 = $3 = $4 = $5 = $6 = $7 = $8 = $9 = $10 = ""; sub(/^ +/, ""); print }'; }
# Whether the control named $2 in the window of title $1 is enabled (1) or not (0).
control_enabled() { peek "$1" | awk -v name="$2" '$1 == "control" && $2 == name { print $5 }'; }
# The screen place of the middle of the control named $2 in the window of
# title $1, as "x y"; nothing when there is no such control.
control_middle() { peek "$1" | awk -v name="$2" '$1 == "control" && $2 == name { print int($7 + $9 / 2), int($8 + $10 / 2) }'; }
# Clicks the middle of the control named $3 in the window of title $2. The
# first argument, the window's X id, only tells the reader which window it is.
click_control() {
  local at
  at=$(control_middle "$2" "$3")
  [ -n "$at" ] || fail "no control $3 in the window $2"
  # shellcheck disable=SC2086
  xdotool mousemove --sync $at click 1
  sleep 0.3
}
visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | sort; }
# Waits up to $3 seconds (10 by default) for the control named $2 in the
# window of title $1 to be enabled (a busy machine may take a moment to
# handle a click); fails when it is not.
wait_enabled() {
  local _
  for _ in $(seq $((${3:-10} * 5))); do
    [ "$(control_enabled "$1" "$2")" = 1 ] && return 0
    sleep 0.2
  done
  return 1
}

# Picks drive $2 (its letter) in Drive1 of the main window $1: the Drive:
# option, then the letter typed into the list once it is enabled (a busy
# machine may take a moment to handle the click). Fails when Drive1 does not
# come to show that drive.
pick_drive() {
  local drive= _
  click_control "$1" Dustvane optDrive
  wait_enabled Dustvane Drive1 || true
  for _ in 1 2 3; do
    click_control "$1" Dustvane Drive1
    press "$2" Return
    drive=$(control_text Dustvane Drive1)
    [ "${drive:0:2}" = "${2^^}:" ] && return 0
  done
  fail "Drive1 shows '$drive', not drive ${2^^}:"
}
