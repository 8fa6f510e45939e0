#!/usr/bin/env bash
# bench/ui_bench.sh BUILD_DIR [TREE_DIR]
#
# The windows' share of a search: on the medium tree, five runs each of
# dustvane-walk and of dustvane-ui-bench (click on cmdSearch to the results
# window painted), alternated, after one warm-up walk; prints the medians, the
# ratio, and the time to append and show 32,767 lines.
set -euo pipefail
build=$(cd "${1:?usage: ui_bench.sh BUILD_DIR [TREE_DIR]}" && pwd)
tree="${2:-${TMPDIR:-/tmp}/dustvane-medium}"
[ -x "$build/bench/dustvane-ui-bench" ] ||
  { echo "$build/bench/dustvane-ui-bench is not built (it needs Qt Test: qt6-base-dev)" >&2; exit 1; }
if [ ! -d "$tree" ]; then
  echo "Making the medium tree in $tree..."
  "$build/bench/dustvane-maketree" --profile medium "$tree" >/dev/null
fi

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
seconds() { sed -n 's/.*seconds=\([0-9.]*\).*/\1/p'; }

"$build/bench/dustvane-walk" "$tree" 2>/dev/null >/dev/null   # warm the caches
walks=() windows=() lists=()
for _ in 1 2 3 4 5; do
  walks+=("$("$build/bench/dustvane-walk" "$tree" 2>&1 >/dev/null | tail -n 1 | seconds)")
  out=$("$build/bench/dustvane-ui-bench" "$tree" 2>/dev/null)
  windows+=("$(grep '^search' <<<"$out" | seconds)")
  lists+=("$(grep '^list' <<<"$out" | seconds)")
done
walk=$(printf '%s\n' "${walks[@]}" | median)
window=$(printf '%s\n' "${windows[@]}" | median)
list=$(printf '%s\n' "${lists[@]}" | median)
echo "walk (dustvane-walk)            median ${walk} s"
echo "click to results window shown   median ${window} s"
awk -v w="$walk" -v u="$window" 'BEGIN { printf "windows add                     %+.1f%% (limit +20%%)\n", (u / w - 1) * 100 }'
echo "append and show 32,767 lines    median ${list} s"
