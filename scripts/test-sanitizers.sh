#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs the whole CTest suite on that build.
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
build="$top/build-asan"
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$build" -j "${DUSTVANE_JOBS:-2}"

# Leaks inside the system's own libraries (fontconfig, Qt's plugins) are not
# ours to mend; they are suppressed by library, never by our own functions.
export LSAN_OPTIONS="suppressions=$scripts/lsan-suppressions.txt:print_suppressions=0"
export ASAN_OPTIONS="detect_stack_use_after_return=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
QT_QPA_PLATFORM=offscreen ctest_stage sanitizers "$build" -j "${DUSTVANE_JOBS:-2}"
