#!/usr/bin/env bash
# Compares dustvane-walk with GNU find, bfs and fd on the same trees:
#
#   bench/compare-find.sh [--cold] [ROOT...]
#
# Without ROOTs it builds the generated test tree(s) and compares on them, on
# /usr and on / (the whole local disk, what a default search covers). A ROOT made by dustvane-maketree, with its report saved beside it
# as "ROOT.made", is checked like a tree built here. For every root it reports the median wall time of each program
# over several alternating runs and its ratio to find, the median
# peak memory (max RSS) of each, system-call counts when strace is present,
# and whether the walk and find list the same set of paths.
#
# On / the peers stay on the root's own file system (find and bfs -xdev, fd
# --one-file-system), and the floor walkers, which cross every mount, walk
# that file system alone through a bind mount of it in a private mount
# namespace. The walk itself enters the local file systems mounted below /
# (never /proc, /sys, /dev or a network mount), so it may list more than
# find there; it must list everything find lists.
#
# Warm (the default): every program reads the tree once before the timed
# runs, so all of it is in the cache. Cold (--cold): before every single run
# the caches are emptied (as root: sync; echo 3 > /proc/sys/vm/drop_caches),
# so each run reads the tree from the disk. Where that is not permitted, the
# script says so and skips the cold runs. A tree on a memory file system has
# no cold state and is skipped in cold mode: put it on a disk
# (DUSTVANE_BENCH_TREE=/var/tmp/...).
#
# Environment:
#   DUSTVANE_BENCH_RUNS      timed runs of each program per root (default 5)
#   DUSTVANE_BENCH_PROFILES  generated trees to build (default "medium")
#   DUSTVANE_BENCH_TREE      folder for the tree: reused if it holds one
#                            already, kept afterwards (one profile only)
#   DUSTVANE_BENCH_PROGRAMS  programs to time (default "walk find bfs fd
#                            fd-j16"; also "walk-off",
#                            "walk-always", "walk-tN", "walk-before", and
#                            with floors "limitwalk", "parwalk-tN": see
#                            below)
#   DUSTVANE_BENCH_BEFORE    another build of dustvane-walk (say, of the
#                            commit before a change): "walk-before" runs it
#   DUSTVANE_BENCH_FLOORS    a folder with the floor walkers' sources
#                            (limitwalk.c, parwalk.c), built here
#   DUSTVANE_BENCH_OPEN_FILES  open-files limit (ulimit -n) of the timed runs
#   DUSTVANE_BUILD_DIR       build folder (default build-bench, Release)
set -euo pipefail
export LC_ALL=C   # byte-wise names for find and sort, "." in decimal numbers

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
build="${DUSTVANE_BUILD_DIR:-$top/build-bench}"
runs="${DUSTVANE_BENCH_RUNS:-5}"
profiles="${DUSTVANE_BENCH_PROFILES:-medium}"

cache=warm
if [ "${1:-}" = --cold ]; then
  cache=cold
  shift
  # Said before anything is built or installed.
  if ! { [ "$(id -u)" -eq 0 ] && (echo 3 >/proc/sys/vm/drop_caches) 2>/dev/null; }; then
    echo "Cold runs skipped: emptying the caches (/proc/sys/vm/drop_caches) needs root, and is not permitted here."
    exit 0
  fi
fi
programs="${DUSTVANE_BENCH_PROGRAMS:-walk find bfs fd fd-j16}"

# GNU time for the peak memory, and the peers the walk is measured against.
# shellcheck source=../scripts/lib.sh
source "$top/scripts/lib.sh"
install_packages "$top/scripts/packages-bench.txt"

work=$(mktemp -d "${TMPDIR:-/tmp}/dustvane-bench.XXXXXX")
mkdir "$work/root-fs"   # where the floors see /'s own file system
cleanup() { rm -rf "$work"; }
trap cleanup EXIT

cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "${DUSTVANE_JOBS:-2}" --target dustvane-walk dustvane-maketree >/dev/null
walk="$build/bench/dustvane-walk"
maketree="$build/bench/dustvane-maketree"
if [ -n "${DUSTVANE_BENCH_FLOORS:-}" ]; then
  cc -O2 -o "$work/limitwalk" "$DUSTVANE_BENCH_FLOORS/limitwalk.c"
  cc -O2 -pthread -o "$work/parwalk" "$DUSTVANE_BENCH_FLOORS/parwalk.c"
fi

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
  elif [ "$cache" = cold ]; then
    # A cold cache needs a tree on a disk: the build folder is on one where
    # the temporary folder may be in memory. Kept, and reused next time.
    tree="$build/tree-$profile"
    if [ -f "$tree.made" ]; then
      echo "Reusing the tree in $tree" >&2
      echo "$tree"
      return
    fi
    rm -rf "$tree"
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
  if [ -n "${DUSTVANE_BENCH_OPEN_FILES:-}" ]; then
    set -- bash -c 'ulimit -n "$0" && exec "$@"' "$DUSTVANE_BENCH_OPEN_FILES" "$@"
  fi
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
       $NF ~ /^(getdents64|newfstatat|statx|lstat|openat|openat2|close|fcntl)$/ { n[$NF] = $4 }
       END {
         printf "total=%d getdents64=%d stat=%d openat=%d close=%d fcntl=%d\n", total,
                n["getdents64"], n["newfstatat"] + n["statx"] + n["lstat"], n["openat"] + n["openat2"],
                n["close"], n["fcntl"]
       }' "$work/strace"
}

# The system calls of one warm run of the walk, by thread, where perf counts
# them (it holds the threads up far less than strace, which would leave the
# helpers little to do): those of the walk's own thread (the process's
# first), by kind, and futex in all threads, beside the folders helpers
# warmed. The calls are told by their x86-64 numbers.
walk_thread_calls() {
  command -v perf >/dev/null || { echo "not counted: perf is not installed"; return 0; }
  [ "$(uname -m)" = x86_64 ] || { echo "not counted: the call numbers are x86-64's"; return 0; }
  perf record -q -e raw_syscalls:sys_enter -o "$work/perf.data" "$@" >/dev/null 2>"$work/perf-stderr" || return 0
  local warmed
  warmed=$(sed -n 's/.* warmed-ahead=\([0-9]*\).*/\1/p' "$work/perf-stderr" | tail -n 1)
  perf script -i "$work/perf.data" -F pid,tid,trace 2>/dev/null | awk -v warmed="${warmed:-0}" '
    { split($1, id, "/"); nr = $3 }
    id[1] == id[2] { walk++; calls[nr]++ }
    nr == 202 { futex++ }
    END {
      printf "walk thread %d (statx %d, openat2 %d, getdents64 %d, close %d, newfstatat %d), futex %d in all, warmed %d\n",
             walk, calls[332], calls[437], calls[217], calls[3], calls[262], futex, warmed
    }'
}

# Both programs must list the same set of paths: each path exactly once,
# byte for byte.
compare_listings() {
  local root=$1
  "$walk" --list -0 "$root" 2>"$work/walk-stderr" | sort -z >"$work/walk-list"
  program_command find "$root"
  "${COMMAND[@]}" -print0 2>/dev/null | sort -z >"$work/find-list"
  echo "  messages from the walk: $(grep -c '^Unexpected Error: ' "$work/walk-stderr" || true)"
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

# The command line of one program for one root. Each lists the same thing:
# every entry but folders whose name matches "*.tmp" in any case, hidden ones
# included, links not followed. "walk-off" is the walk without its read-ahead,
# "walk-always" with helpers from the start even on a warm tree, "walk-tN"
# with N helpers on a cold tree, "walk-before" the build DUSTVANE_BENCH_BEFORE names, to set a
# change beside what came before it in one run. fd runs on as many threads as there are cores unless told
# otherwise; "fd-j16" gives it 16. "limitwalk" and "parwalk-tN" are the floor
# walkers (DUSTVANE_BENCH_FLOORS), which list the matching files only.
program_command() {
  local name=$1 root=$2 xdev=() fd_xdev=() floor=() floor_root=$2
  if [ "$root" = / ]; then
    xdev=(-xdev); fd_xdev=(--one-file-system)
    floor=(unshare -m sh -c 'mount --bind / "$0" && exec "$@"' "$work/root-fs")
    floor_root=$work/root-fs
  fi
  case $name in
    walk) COMMAND=("$walk" --list "$root") ;;
    walk-off) COMMAND=("$walk" --read-ahead off --list "$root") ;;
    walk-always) COMMAND=("$walk" --read-ahead always --list "$root") ;;
    walk-t*) COMMAND=("$walk" --threads "${name#walk-t}" --list "$root") ;;
    walk-before) COMMAND=("${DUSTVANE_BENCH_BEFORE:?names no build of dustvane-walk}" --list "$root") ;;
    find) COMMAND=(find "$root" "${xdev[@]}" -iname '*.tmp' ! -type d) ;;
    bfs) COMMAND=(bfs "$root" "${xdev[@]}" -iname '*.tmp' ! -type d) ;;
    fd) COMMAND=(fdfind "${fd_xdev[@]}" -u -i -g '*.tmp' -t f -t l -t p -t s "$root") ;;
    fd-j16) COMMAND=(fdfind "${fd_xdev[@]}" -j16 -u -i -g '*.tmp' -t f -t l -t p -t s "$root") ;;
    limitwalk) COMMAND=("${floor[@]}" "$work/limitwalk" "$floor_root") ;;
    parwalk-t*) COMMAND=("${floor[@]}" "$work/parwalk" -t "${name#parwalk-t}" "$floor_root") ;;
    *) echo "unknown program: $name" >&2; exit 2 ;;
  esac
}

# Empties the page, inode and directory caches, so that the next run reads
# from the disk.
drop_caches() {
  sync
  echo 3 >/proc/sys/vm/drop_caches
}

# The wall times (median, runs in order) and peak memory of every program on
# one root, alternating between programs; in cold mode the caches are emptied
# before every run.
time_programs() {
  local root=$1 name i
  for name in $programs; do
    program_command "$name" "$root"
    : >"$work/$name-s"; : >"$work/$name-kb"
    # Warm-up: every program reads the whole tree once before anything is timed.
    [ "$cache" = warm ] && timed_run "${COMMAND[@]}"
  done
  for ((i = 0; i < runs; i++)); do
    for name in $programs; do
      program_command "$name" "$root"
      [ "$cache" = cold ] && drop_caches
      timed_run "${COMMAND[@]}"
      echo "$SECONDS_TAKEN" >>"$work/$name-s"; echo "$PEAK_KB" >>"$work/$name-kb"
    done
  done
  local find_s="" find_kb="" s kb
  if [[ " $programs " == *" find "* ]]; then
    find_s=$(median <"$work/find-s"); find_kb=$(median <"$work/find-kb")
  fi
  echo "  $cache cache, $runs runs each, alternating$([ "$cache" = warm ] && echo ", after one warm-up run each")"
  printf '  %-8s %10s %8s %12s %8s   %s\n' program "median s" "/find" "peak RSS KB" "/find" runs
  for name in $programs; do
    s=$(median <"$work/$name-s"); kb=$(median <"$work/$name-kb")
    printf '  %-8s %10s %8s %12s %8s   %s\n' "$name" "$s" \
      "$([ -n "$find_s" ] && awk -v a="$s" -v b="$find_s" 'BEGIN { printf "%.2f", a / b }')" "$kb" \
      "$([ -n "$find_kb" ] && awk -v a="$kb" -v b="$find_kb" 'BEGIN { printf "%.2f", a / b }')" \
      "$(tr '\n' ' ' <"$work/$name-s")"
  done
}

compare_root() {
  local root=$1 generated=$2

  echo
  echo "== $root"
  if [ "$cache" = cold ] && [ "$(stat -f -c %T "$root")" = tmpfs ]; then
    echo "  skipped: on a memory file system (tmpfs) there is no cold cache"
    return
  fi
  time_programs "$root"
  [ "$cache" = cold ] && return
  if command -v strace >/dev/null; then
    program_command walk "$root"
    echo "  system calls, dustvane-walk: $(syscall_counts "${COMMAND[@]}")"
    program_command find "$root"
    echo "  system calls, find:          $(syscall_counts "${COMMAND[@]}")"
  fi
  program_command walk "$root"
  echo "  by thread, dustvane-walk:    $(walk_thread_calls "${COMMAND[@]}")"
  if [ "$generated" = yes ]; then
    check_counts "$root" || failed=1
    # A generated tree holds no mount points: both must list the same paths.
    compare_listings "$root" || failed=1
  else
    compare_listings "$root" || echo "    (a difference outside a generated tree is worth a look, not a failure)"
  fi
}

echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)," \
  "$(uname -sr), $(find --version | head -n 1), $(bfs --version | head -n 1), $(fdfind --version)"

if [ $# -gt 0 ]; then
  # A root the generator made (its report lies beside it) is checked as one.
  for root in "$@"; do
    [ "$root" = / ] || root=${root%/}
    if [ -f "$root.made" ]; then compare_root "$root" yes; else compare_root "$root" no; fi
  done
else
  for profile in $profiles; do
    tree=$(make_tree "$profile")
    compare_root "$tree" yes
  done
  compare_root /usr no
  compare_root / no
fi
exit "$failed"
