# Shared by the scripts in this folder: source it, do not run it.

# Installs the Debian packages listed in the files given, when they are missing.
# As root it installs them; otherwise it prints the exact command to run and fails.
install_packages() {
  local wanted=() missing=() pkg
  mapfile -t wanted < <(cat "$@" | sed -e 's/#.*//' -e '/^[[:space:]]*$/d')
  for pkg in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  else
    echo "These Debian packages are missing. Install them, then run this again:"
    echo "  sudo apt-get install -y ${missing[*]}"
    exit 1
  fi
}

# Starts a virtual X display (Xvfb) with one screen of the size given
# ("1024x768x24") and any further Xvfb options. Xvfb itself picks a display
# number that no other X server uses, and writes it once it accepts
# connections; this waits for that. Sets DISPLAY and VIRTUAL_DISPLAY_PID (the
# caller ends the server with kill "$VIRTUAL_DISPLAY_PID"). Xvfb's own
# messages go to VIRTUAL_DISPLAY_LOG when that is set, else are dropped.
start_virtual_display() {
  local screen=$1 ready number _
  shift
  ready=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp "$@" \
    3>"$ready" >"${VIRTUAL_DISPLAY_LOG:-/dev/null}" 2>&1 &
  VIRTUAL_DISPLAY_PID=$!
  for _ in $(seq 200); do
    number=$(head -n 1 "$ready")
    [ -n "$number" ] && break
    kill -0 "$VIRTUAL_DISPLAY_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$ready"
  if [ -z "$number" ]; then
    echo "The virtual display (Xvfb) did not start within 20 seconds." >&2
    kill "$VIRTUAL_DISPLAY_PID" 2>/dev/null || true
    return 1
  fi
  export DISPLAY=":$number"
}

# The X id of the first visible window whose title matches the regular
# expression $1, waiting for one up to $2 seconds (default 30); empty if none.
find_window() { timeout "${2:-30}" xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
# Presses keys as a user would (xdotool key names), then lets the program react.
press() { xdotool key --clearmodifiers "$@"; sleep 0.3; }

# Copies the program at $1 into the folder $2 and prints the copy's path. A
# build folder may lie where other users cannot reach it (a checkout inside a
# private 0700 folder); the copy can be run by any user that may enter $2.
stage_program() {
  local program=$1 folder=$2
  install -m 0755 "$program" "$folder/$(basename "$program")"
  echo "$folder/$(basename "$program")"
}
