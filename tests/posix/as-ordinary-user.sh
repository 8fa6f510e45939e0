#!/usr/bin/env bash
# Runs a test program as an ordinary user: as root, with privileges dropped
# to "nobody" (from a copy the user can reach, wherever the build lies);
# otherwise as it is.
set -euo pipefail
program=$1
shift
if [ "$(id -u)" -ne 0 ]; then
  exec "$program" "$@"
fi
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp "$program" "$copy/"
chmod 755 "$copy" "$copy/$(basename "$program")"
cd "$copy"
setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env \
  "$copy/$(basename "$program")" "$@"
