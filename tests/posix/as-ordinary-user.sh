#!/usr/bin/env bash
# Runs the tests of a GoogleTest program that its arguments select as an
# ordinary user: as root, with privileges dropped to "nobody" (from a copy
# the user can reach, wherever the build lies); otherwise as it is. Every
# test selected must run and pass: a skip inside would hide that nothing
# ran, so one fails the run, and so does a selection of no test at all.
set -euo pipefail
program=$1
shift
selected=$("$program" --gtest_list_tests "$@" | grep -c '^  ' || true)
output=$(mktemp)
copy=$(mktemp -d)
trap 'rm -rf "$copy" "$output"' EXIT
status=0
if [ "$(id -u)" -ne 0 ]; then
  "$program" "$@" | tee "$output" || status=$?
else
  cp "$program" "$copy/"
  chmod 755 "$copy" "$copy/$(basename "$program")"
  (cd "$copy" && setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env \
    "$copy/$(basename "$program")" "$@") | tee "$output" || status=$?
fi
[ "$status" -eq 0 ] || exit "$status"
if [ "$selected" -eq 0 ] || grep -q '^\[  SKIPPED \]' "$output" ||
  ! grep -q "^\[  PASSED  \] $selected tests\?\.$" "$output"; then
  echo "as-ordinary-user: $selected tests were selected, and not all of them ran and passed"
  exit 1
fi
