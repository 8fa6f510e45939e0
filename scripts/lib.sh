# The prologue of every script here: source it, do not run it. It puts the
# script into strict mode, sets `scripts` (this folder) and `top` (the
# checkout), and brings the helpers below.
set -euo pipefail
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$scripts/.." && pwd)
# Sourced again (through scripts/windows/wine.sh), it keeps what it set.
[ -z "${dustvane_lib_loaded:-}" ] || return 0
dustvane_lib_loaded=1

# Installs the Debian packages listed in the files given, when they are missing.
# As root it installs them; otherwise it prints the exact command to run and fails.
# Refreshes apt's lists. A mirror caught mid-sync serves a list whose size
# does not match its Release file for a minute or so: try again after a
# pause, and when it still fails go on with the lists there are (the
# install that follows then says what it cannot find). lists_stale is set
# when it failed, and lists_errors holds what apt said the last time.
lists_stale="" lists_errors=""
refresh_package_lists() {
  local try
  for try in 1 2 3; do
    lists_errors=$(apt-get update -qq 2>&1 >/dev/null) && { lists_stale=""; return 0; }
    [ "$try" -lt 3 ] && sleep 20
  done
  lists_stale=1
  echo "$lists_errors"
  echo "Could not refresh apt's package lists; going on with the lists there are."
}

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
    refresh_package_lists
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || {
      echo "FAILED: apt could not install ${missing[*]}${lists_stale:+: some of its package lists could not be fetched (see above), so versions these need may be missing}"
      exit 1
    }
  else
    echo "These Debian packages are missing. Install them, then run this again:"
    echo "  sudo apt-get install -y ${missing[*]}"
    exit 1
  fi
}

# The Debian release this machine runs ("bookworm").
debian_codename() { (. /etc/os-release && echo "$VERSION_CODENAME"); }

# The archive this machine's apt already installs the suite $1 from, as
# "URI<TAB>KEYRING" (KEYRING empty when the source names none): the first
# enabled "deb" source with that suite, in the deb822 files
# (/etc/apt/sources.list.d/*.sources) or the one-line lists.
configured_archive() {
  local suite=$1 file
  { for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk -v want="$suite" '
      function flush() {
        if (!done && types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " want " ") && enabled != "no" && uri != "") {
          print uri "\t" keyring; done = 1
        }
        types = suites = uri = keyring = enabled = ""
      }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      /^[^ \t]/ {
        key = tolower($1); sub(/:$/, "", key); value = $0; sub(/^[^:]*:[ \t]*/, "", value)
        if (key == "types") types = value
        else if (key == "suites") suites = value
        else if (key == "uris") { split(value, u, /[ \t]+/); uri = u[1] }
        else if (key == "signed-by" && value ~ /^\//) keyring = value
        else if (key == "enabled") enabled = tolower(value)
      }
      END { flush() }' "$file"
  done
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    if [ -f "$file" ]; then cat "$file"; fi
  done | awk -v want="$suite" '
    $1 != "deb" { next }
    {
      keyring = ""; i = 2
      if ($2 ~ /^\[/) {
        for (; i <= NF; i++) {
          if ($i ~ /^signed-by=/) { keyring = $i; sub(/^signed-by=/, "", keyring); sub(/\]$/, "", keyring) }
          if ($i ~ /\]$/) break
        }
        i++
      }
      if ($(i + 1) == want) { print $i "\t" keyring; exit }
    }'
  } | sed -n 1p
}

# This release's backports suite ("bookworm-backports").
backports_suite() { echo "$(debian_codename)-backports"; }
backports_list() { echo "/etc/apt/sources.list.d/$(backports_suite).sources"; }

# The lines of an apt source for the backports suite, from the archive apt
# already installs this release from; none when apt has no such archive.
backports_source() {
  local archive uri keyring
  archive=$(configured_archive "$(debian_codename)")
  [ -n "$archive" ] || return 0
  uri=${archive%%$'\t'*}
  keyring=${archive#*$'\t'}
  printf '%s\n' "Types: deb" "URIs: $uri" "Suites: $(backports_suite)" "Components: main"
  [ -z "$keyring" ] || echo "Signed-By: $keyring"
}

# Prints the exact commands that install the packages given from backports,
# adding the suite first when apt does not know it, for an ordinary user.
print_backports_commands() {
  if [ -z "$(configured_archive "$(backports_suite)")" ]; then
    printf "  printf '%%s\\\\n'"
    backports_source | while IFS= read -r line; do printf " '%s'" "$line"; done
    printf ' | sudo tee %s\n' "$(backports_list)"
  fi
  echo "  sudo apt-get update"
  echo "  sudo apt-get install -y -t $(backports_suite) $*"
}

# Installs the packages given from this release's backports suite, adding
# that suite first when apt does not know it. As root it installs them;
# otherwise it prints the exact commands to run and fails.
install_from_backports() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "These packages come from $(backports_suite). Install them, then run this again:"
    print_backports_commands "$@"
    exit 1
  fi
  if [ -z "$(configured_archive "$(backports_suite)")" ]; then
    [ -n "$(backports_source)" ] || { echo "apt has no Debian archive for $(debian_codename) to take $(backports_suite) from"; exit 1; }
    echo "Adding $(backports_suite) to apt's sources: $(backports_list)"
    backports_source >"$(backports_list)"
  fi
  echo "Installing from $(backports_suite): $*"
  export DEBIAN_FRONTEND=noninteractive
  refresh_package_lists
  apt-get install -y -qq --no-install-recommends -t "$(backports_suite)" "$@" >/dev/null ||
    { echo "Installing $* from $(backports_suite) failed"; exit 1; }
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
# Puts the pointer in the middle of the window with X id $1 (under a window
# manager whose focus follows the pointer, that gives it the keyboard).
point_at_window() {
  local WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(WIDTH|HEIGHT)=')"
  xdotool mousemove --window "$1" $((WIDTH / 2)) $((HEIGHT / 2))
}
# Clicks the middle of a control of the Linux program's window with X id $2,
# found by the names of its window and control ($3 and $4: frmMain optDrive)
# in the windows' descriptions, as control-places of the build $1 tells.
click_named() {
  local at
  at=$("$1/tests/control-places" "$3" "$4" | awk '{ print int($1 + $3 / 2), int($2 + $4 / 2) }') ||
    { echo "no control $4 in $3" >&2; return 1; }
  # shellcheck disable=SC2086
  xdotool mousemove --window "$2" $at click 1
  sleep 0.3
}

# Copies the program at $1 into the folder $2 and prints the copy's path. A
# build folder may lie where other users cannot reach it (a checkout inside a
# private 0700 folder); the copy can be run by any user that may enter $2.
stage_program() {
  local program=$1 folder=$2
  install -m 0755 "$program" "$folder/$(basename "$program")"
  echo "$folder/$(basename "$program")"
}

# --- stages of the tests ------------------------------------------------------
# Every stage ends with one closing line, "NAME: N passed, N failed, N
# skipped", and exits 0 only when nothing failed and nothing was skipped: 1
# when something failed, skipped_status when something could not run here.
skipped_status=77

# A stage, or a step of one, that this machine cannot run: $1 names it, $2
# says why. In CI, where every stage runs, the run fails here with one line
# saying why. Elsewhere the caller skips it: this says so, and notes it in
# DUSTVANE_SKIPPED_LOG for the summary of scripts/dev.sh test.
cannot_run_here() {
  if [ "${CI:-}" = true ]; then
    echo "$1: FAILED: cannot run here, and CI runs every stage: $2"
    exit 1
  fi
  echo "$1: skipped: $2"
  [ -z "${DUSTVANE_SKIPPED_LOG:-}" ] || echo "$1: $2" >>"$DUSTVANE_SKIPPED_LOG"
}

# Prints the closing line of the stage $1 from its counts (passed, failed,
# skipped) and exits with the stage's status. In CI a skip is a failure,
# even one whose step did not say why through cannot_run_here.
end_stage() {
  echo "$1: $2 passed, $3 failed, $4 skipped"
  [ "$3" -eq 0 ] || exit 1
  if [ "$4" -ne 0 ]; then
    [ "${CI:-}" != true ] || { echo "$1: FAILED: $4 skipped, and CI runs every stage"; exit 1; }
    exit "$skipped_status"
  fi
  exit 0
}

# Runs the command given in a subshell with errexit in force, in its
# functions too (a command tested by if or || runs without it), and sets
# step_status to its exit status.
run_step() {
  set +e
  ( set -e; "$@" )
  step_status=$?
  set -e
}

# A run of stages (the test command's stages, the Windows stage's steps).
# Each stage is counted as it ends, by how it ended; the first that fails
# ends the run.
stages_passed=() stages_failed=() stages_skipped=() stage_times=()
run_name="run"

# run_stage NAME COMMAND...: one stage of the run.
run_stage() {
  local name=$1 began=$SECONDS
  shift
  echo "== $name"
  run_step "$@"
  stage_times+=("$name $((SECONDS - began)) s")
  case $step_status in
    0) stages_passed+=("$name") ;;
    "$skipped_status") stages_skipped+=("$name") ;;
    *) stages_failed+=("$name"); echo "$run_name: $name FAILED"; end_run ;;
  esac
}

# skip_stage NAME WHY: a stage this machine cannot run, counted as skipped
# (in CI that fails the run: see cannot_run_here).
skip_stage() {
  cannot_run_here "$1" "$2"
  stages_skipped+=("$1")
}

# Ends the run with its closing line, from the stages that ran.
end_run() {
  [ ${#stage_times[@]} -eq 0 ] || echo "Stage times: $(printf '%s, ' "${stage_times[@]}" | sed 's/, $//')"
  end_stage "$run_name" ${#stages_passed[@]} ${#stages_failed[@]} ${#stages_skipped[@]}
}

# The CTest suite of the build folder $2 as the stage $1 (further arguments go
# to ctest), counted from CTest's JUnit report: a test that did not run here
# (it has no mount namespace, no /dev/fuse...) is skipped and counted; in CI
# it fails the run.
ctest_stage() {
  local name=$1 build=$2 report status=0 passed failed skipped=()
  shift 2
  report=$(mktemp --suffix=.xml)
  (cd "$build" && ctest --output-on-failure --output-junit "$report" "$@") || status=$?
  passed=$(grep -c '<testcase .* status="run"' "$report" || true)
  failed=$(grep -c '<testcase .* status="fail"' "$report" || true)
  mapfile -t skipped < <(sed -n 's/.*<testcase name="\([^"]*\)".* status="\(notrun\|disabled\)".*/\1/p' "$report")
  rm -f "$report"
  if [ $((passed + failed + ${#skipped[@]})) -eq 0 ]; then
    echo "$name: ctest reported no test (status $status)"
    end_stage "$name" 0 1 0
  fi
  [ "$status" -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
  if [ ${#skipped[@]} -gt 0 ]; then
    cannot_run_here "$name" "${#skipped[@]} of its tests did not run: ${skipped[*]}"
  fi
  end_stage "$name" "$passed" "$failed" ${#skipped[@]}
}
