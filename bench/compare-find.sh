#!/usr/bin/env bash
# Compares dustvane-walk with GNU find on the same trees, warm cache:
#
#   bench/compare-find.sh [ROOT...]
#
# Without ROOTs it builds the generated test tree(s) and compares on them and
# on /usr. A ROOT made by dustvane-maketree, with its report saved beside it
# as "ROOT.made", is checked like a tree built here. For every root it reports the median wall time of each program
# over several alternating runs and their ratio (dustvane/find), the median
# peak memory (max RSS) of each, system-call counts when strace is present,
# and whether both list the same set of paths.
#
# Environment:
#   DUSTVANE_BENCH_RUNS      timed runs of each program per root (default 5)
#   DUSTVANE_BENCH_PROFILES  generated trees to build (default "medium")
#   DUSTVANE_BENCH_TREE      folder for the tree: reused if it holds one
#                            already, kept afterwards (one profile only)
#   DUSTVANE_BUILD_DIR       build folder (default build-bench, Release)
set -euo pipefail
export LC_ALL=C   # byte-wise names for find and sort, "." in decimal numbers

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
build="${DUSTVANE_BUILD_DIR:-$top/build-bench}"
runs="${DUSTVANE_BENCH_RUNS:-5}"
profiles="${DUSTVANE_BENCH_PROFILES:-medium}"

if [ ! -x /usr/bin/time ]; then
  echo "compare-find.sh needs GNU time (/usr/bin/time): apt-get install time" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/dustvane-bench.XXXXXX")
cleanup() { rm -rf "$work"; }
trap cleanup EXIT

cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "${DUSTVANE_JOBS:-2}" --target dustvane-walk dustvane-maketree >/dev/null
walk="$build/bench/dustvane-walk"
maketree="$build/bench/dustvane-maketree"

failed=0

# Builds the tree of one profile, or reuses the one DUSTVANE_BENCH_TREE names.
# The generator's report is kept beside the tree as "<tree>.made".
make_tree() {
  local profile=$1 tree
  if [ -n "${DUSTVANE_BENCH_TREE:-}" ]; then
    tree=${DUSTVANE_BENCH_TREE%/}
    if [ -d "$tree" ] && [ -n "$(ls -A "$tree")" ]; then
      echo "Reusing the tree in $tree" >&2
      echo "$tree"
      return
    fi
  else
    tree="$work/tree-$profile"
  fi
  echo "Building the $profile tree in $tree" >&2
  "$maketree" --profile "$profile" "$tree" >"$tree.made"
  sed 's/^/  /' "$tree.made" >&2
  echo "$tree"
}

# Runs a command once with its output thrown away; sets SECONDS_TAKEN (wall,
# from outside the process) and PEAK_KB (max RSS).
timed_run() {
  local start end
  start=$EPOCHREALTIME
  /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null 2>"$work/stderr" || true
  end=$EPOCHREALTIME
  SECONDS_TAKEN=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }')
  PEAK_KB=$(tail -n 1 "$work/rss")
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# System calls of one run: the total and the ones a walk is made of.
syscall_counts() {
  strace -c -f -o "$work/strace" "$@" >/dev/null 2>&1 || true
  awk '$NF == "total" { total = $4 }
       $NF ~ /^(getdents64|newfstatat|statx|lstat|openat|close|fcntl)$/ { n[$NF] = $4 }
       END {
         printf "total=%d getdents64=%d stat=%d openat=%d close=%d fcntl=%d\n", total,
                n["getdents64"], n["newfstatat"] + n["statx"] + n["lstat"], n["openat"],
                n["close"], n["fcntl"]
       }' "$work/strace"
}

# Both programs must list the same set of paths: each path exactly once,
# byte for byte.
compare_listings() {
  local root=$1
  "$walk" --list -0 "$root" 2>"$work/walk-stderr" | sort -z >"$work/walk-list"
  find "$root" -iname '*.tmp' ! -type d -print0 2>/dev/null | sort -z >"$work/find-list"
  if cmp -s "$work/walk-list" "$work/find-list"; then
    echo "  same paths listed: yes ($(tr -cd '\0' <"$work/walk-list" | wc -c) paths)"
    return 0
  fi
  tr '\0' '\n' <"$work/walk-list" >"$work/walk-lines"
  tr '\0' '\n' <"$work/find-list" >"$work/find-lines"
  echo "  same paths listed: NO"
  echo "    only dustvane-walk: $(comm -23 "$work/walk-lines" "$work/find-lines" | wc -l)"
  comm -23 "$work/walk-lines" "$work/find-lines" | head -n 5 | sed 's/^/      /'
  echo "    only find:          $(comm -13 "$work/walk-lines" "$work/find-lines" | wc -l)"
  comm -13 "$work/walk-lines" "$work/find-lines" | head -n 5 | sed 's/^/      /'
  return 1
}

# The walk's counts and total must be what the generator made.
check_counts() {
  local root=$1
  [ -f "$root.made" ] || return 0
  local expected got
  expected=$(tail -n 1 "$root.made")
  got=$("$walk" "$root" 2>&1 >/dev/null | tail -n 1 | sed 's/ seconds=.*//')
  if [ "$expected" = "$got" ]; then
    echo "  counts as generated: yes ($got)"
  else
    echo "  counts as generated: NO (walk: $got; generator: $expected)"
    return 1
  fi
}

compare_root() {
  local root=$1 generated=$2
  local -a walk_cmd=("$walk" --list "$root")
  local -a find_cmd=(find "$root" -iname '*.tmp' ! -type d)
  local i

  echo
  echo "== $root"
  # Warm-up: both programs read the whole tree once before anything is timed.
  timed_run "${walk_cmd[@]}"
  timed_run "${find_cmd[@]}"

  : >"$work/walk-s"; : >"$work/find-s"; : >"$work/walk-kb"; : >"$work/find-kb"
  for ((i = 0; i < runs; i++)); do
    timed_run "${walk_cmd[@]}"
    echo "$SECONDS_TAKEN" >>"$work/walk-s"; echo "$PEAK_KB" >>"$work/walk-kb"
    timed_run "${find_cmd[@]}"
    echo "$SECONDS_TAKEN" >>"$work/find-s"; echo "$PEAK_KB" >>"$work/find-kb"
  done
  local walk_s find_s walk_kb find_kb
  walk_s=$(median <"$work/walk-s"); find_s=$(median <"$work/find-s")
  walk_kb=$(median <"$work/walk-kb"); find_kb=$(median <"$work/find-kb")
  echo "  runs: $runs each, alternating, after one warm-up run each"
  echo "  wall seconds (median): dustvane-walk $walk_s  find $find_s  ratio dustvane/find $(
    awk -v a="$walk_s" -v b="$find_s" 'BEGIN { printf "%.2f", a / b }')"
  echo "    dustvane-walk runs: $(tr '\n' ' ' <"$work/walk-s")"
  echo "    find runs:          $(tr '\n' ' ' <"$work/find-s")"
  echo "  peak RSS KB (median): dustvane-walk $walk_kb  find $find_kb  ratio dustvane/find $(
    awk -v a="$walk_kb" -v b="$find_kb" 'BEGIN { printf "%.2f", a / b }')"
  if command -v strace >/dev/null; then
    echo "  system calls, dustvane-walk: $(syscall_counts "${walk_cmd[@]}")"
    echo "  system calls, find:          $(syscall_counts "${find_cmd[@]}")"
  fi
  if [ "$generated" = yes ]; then
    check_counts "$root" || failed=1
    # A generated tree holds no mount points: both must list the same paths.
    compare_listings "$root" || failed=1
  else
    compare_listings "$root" || echo "    (a difference outside a generated tree is worth a look, not a failure)"
  fi
}

echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)," \
  "$(uname -sr), $(find --version | head -n 1)"

if [ $# -gt 0 ]; then
  # A root the generator made (its report lies beside it) is checked as one.
  for root in "$@"; do
    root=${root%/}
    if [ -f "$root.made" ]; then compare_root "$root" yes; else compare_root "$root" no; fi
  done
else
  for profile in $profiles; do
    tree=$(make_tree "$profile")
    compare_root "$tree" yes
  done
  compare_root /usr no
fi
exit "$failed"
