#!/usr/bin/env bash
# End-to-end check of the walk on a generated tree:
#
#   check-small-tree.sh DUSTVANE_WALK DUSTVANE_MAKETREE
#
# Builds the "small" tree twice and checks that the two are the same, that
# the tree holds what the generator says (told apart by find, not by the
# walk), that the walk reports the generator's counts and exact total, and
# that the walk and find list the same paths. The odd entries the tree is
# made to hold (names that are not UTF-8, a link looping to the top, a folder
# named like a match, decoys) must each be found or passed over as they should.
set -uo pipefail
export LC_ALL=C

walk=$1
maketree=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/dustvane-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

expect_equal() {  # what, got, expected
  [ "$2" = "$3" ] || fail "$1: got '$2', expected '$3'"
}

# Every entry of a tree with its kind, length and link target, sorted.
describe_tree() {
  (cd "$1" && find . -mindepth 1 -printf '%p %y %s %m %l\n' | sort)
}

tree="$work/a"
"$maketree" --profile small "$tree" >"$work/made" || fail "maketree failed"
"$maketree" --profile small "$work/b" >"$work/made-again" || fail "second maketree failed"
cmp -s "$work/made" "$work/made-again" || fail "two runs reported different trees"
[ "$(describe_tree "$tree")" = "$(describe_tree "$work/b")" ] || fail "two runs made different trees"

made_value() { tr ' ' '\n' <"$work/made" | sed -n "s/^$1=//p" | head -n 1; }

# The generator's own counts, checked by find.
expect_equal "folders" "$(find "$tree" -mindepth 1 -type d | wc -l)" "$(made_value folders)"
expect_equal "files" "$(find "$tree" -mindepth 1 ! -type d | wc -l)" "$(made_value files)"
expect_equal "links" "$(find "$tree" -type l | wc -l)" "$(made_value links)"
expect_equal "fifos" "$(find "$tree" -type p | wc -l)" "$(made_value fifos)"
expect_equal "hidden" "$(find "$tree" -mindepth 1 -name '.*' | wc -l)" "$(made_value hidden)"
expect_equal "matches" "$(find "$tree" -iname '*.tmp' ! -type d | wc -l)" "$(made_value matches)"
expect_equal "match bytes" \
  "$(find "$tree" -iname '*.tmp' ! -type d -printf '%s\n' | awk '{ t += $1 } END { printf "%.0f", t }')" \
  "$(made_value match_bytes)"

# The walk against the generator: counts, folders and the exact total.
"$walk" --list -0 "$tree" >"$work/walk-list" 2>"$work/walk-stderr"
expect_equal "walk exit status" "$?" "0"
grep -q '^Unexpected Error' "$work/walk-stderr" && fail "walk showed a message: $(head -n 1 "$work/walk-stderr")"
expect_equal "walk counts" "$(tail -n 1 "$work/walk-stderr" | sed 's/ seconds=.*//')" "$(tail -n 1 "$work/made")"

# The walk against find: the same set of paths, byte for byte.
sort -z "$work/walk-list" >"$work/walk-sorted"
find "$tree" -iname '*.tmp' ! -type d -print0 | sort -z >"$work/find-sorted"
cmp -s "$work/walk-sorted" "$work/find-sorted" || fail "walk and find list different paths"

# The odd entries, one by one.
listed() { tr '\0' '\n' <"$work/walk-list" | grep -c -a -e "$1"; }
[ "$(listed $'/caf\xe9\\.tmp$')" = 1 ] || fail "the Latin-1 name caf\\xe9.tmp is not listed once"
[ "$(listed $'/na\xefve\x80\\.TMP$')" = 1 ] || fail "the invalid UTF-8 name is not listed once"
[ "$(listed '/disk-image\.TMP$')" = 1 ] || fail "the sparse match over 4 GiB is not listed"
[ "$(listed '/up\.TMP$')" = 1 ] || fail "the matching link to a folder is not listed"
[ "$(listed '/pipe\.tmp$')" = 1 ] || fail "the matching FIFO is not listed"
[ "$(listed '/old\.tmp$')" = 0 ] || fail "the folder old.tmp is listed"
[ "$(listed '/\.[^/]*\.[tT][mM][pP]$')" -gt 0 ] || fail "no hidden match is listed"
[ "$(listed '\.\(tmpl\|temp\|TEMP\|tmpx\|tmp~\|bak\)$')" = 0 ] || fail "a decoy is listed"
[ "$(listed '\.TMP$')" -gt 0 ] && [ "$(listed '\.Tmp$')" -gt 0 ] || fail "upper and mixed case matches missing"
loop=$(find "$tree" -name loop-to-top)
[ -n "$loop" ] && [ "$(realpath "$loop")" = "$(realpath "$tree")" ] || fail "no link loops back to the top"

# A tree is never written into a folder that holds something.
before=$(describe_tree "$tree")
if "$maketree" --profile small "$tree" >/dev/null 2>&1; then fail "maketree wrote into a non-empty folder"; fi
[ "$(describe_tree "$tree")" = "$before" ] || fail "a refused maketree changed the folder"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "small tree: $(tail -n 1 "$work/made"), walk and find agree"
