# Driving the program's windows under Wine as a user would, with xdotool,
# and reading them back with window-text.exe: source it, do not run it.
# The caller sets window_text to that program and defines fail.

# window-text's lines for a window: "control CLASS ID ENABLED VISIBLE X Y W H TEXT".
peek() { wine "$window_text" "$1" | tr -d '\r'; }
control_text() { peek "$1" | awk -v id="$2" '$1 == "control" && $3 == id { $1 = $2 = $3 = $4 = $5 = $6 = $7 = $8 = $9 = ""; sub(/^ +/, ""); print }'; }
# Clicks a control, found by its id in the window of that title: in its
# middle, or as far into it as given (to hit a list's first line). The first
# argument, the window's X id, only tells the reader which window it is.
click_control() {
  local box
  box=$(peek "$2" | awk -v id="$3" -v dx="${4:-}" -v dy="${5:-}" '$1 == "control" && $3 == id {
    print (dx == "" ? int($6 + $8 / 2) : $6 + dx), (dy == "" ? int($7 + $9 / 2) : $7 + dy) }')
  [ -n "$box" ] || fail "no control $3 in the window $2"
  # shellcheck disable=SC2086
  xdotool mousemove --sync $box click 1
  sleep 0.3
}
visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | sort; }
# Waits up to 10 s for a control, found by its id in the window of that
# title, to be enabled (a busy machine may take a moment to handle a click);
# fails when it is not.
wait_enabled() {
  local _
  for _ in $(seq 50); do
    [ "$(peek "$1" | awk -v id="$2" '$1 == "control" && $3 == id { print $4 }')" = 1 ] && return 0
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
  click_control "$1" Dustvane 103   # optDrive
  wait_enabled Dustvane 105 || true
  for _ in 1 2 3; do
    click_control "$1" Dustvane 105
    press "$2" Return
    drive=$(control_text Dustvane 105)
    [ "${drive:0:2}" = "${2^^}:" ] && return 0
  done
  fail "Drive1 shows '$drive', not drive ${2^^}:"
}
