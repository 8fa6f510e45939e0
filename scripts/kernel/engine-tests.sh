#!/usr/bin/env bash
# Inside the machine on Debian's kernel: the engine's CTest suite, every
# file system of the Delete tests included (a kernel without one fails).
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
export DUSTVANE_EVERY_FILE_SYSTEM=1
modprobe loop && modprobe fuse || { echo "$1: FAILED: Debian's kernel loads no loop or fuse module here"; exit 1; }
# Descriptors left behind by many searches are a matter of the engine alone,
# not of the kernel: that one long test (minutes under emulation) runs on
# this machine's kernel only, in the ctest stage.
ctest_stage "$1" "$2" -L engine -E NoHelperThreadOrFolderIsLeftAfterAnySearch -j 2
