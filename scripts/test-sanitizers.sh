#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs the whole CTest suite on that build; then builds the engine's tests,
# whose walk reads ahead on helper threads, with ThreadSanitizer (which
# cannot share a build with the others) and runs them.
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
run_name="sanitizers"

address() {
  local build="$top/build-asan"
  local flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
  cmake --build "$build" -j "${DUSTVANE_JOBS:-2}"
  # Leaks inside the system's own libraries (fontconfig, Qt's plugins) are not
  # ours to mend; they are suppressed by library, never by our own functions.
  export LSAN_OPTIONS="suppressions=$scripts/lsan-suppressions.txt:print_suppressions=0"
  export ASAN_OPTIONS="detect_stack_use_after_return=1:strict_string_checks=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  QT_QPA_PLATFORM=offscreen ctest_stage address-sanitizer "$build" -j "${DUSTVANE_JOBS:-2}"
}

thread() {
  local build="$top/build-tsan"
  local flags="-fsanitize=thread -fno-omit-frame-pointer"
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
  cmake --build "$build" -j "${DUSTVANE_JOBS:-2}" --target search_tests posix_tests
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
  ctest_stage thread-sanitizer "$build" -L engine -j "${DUSTVANE_JOBS:-2}"
}

run_stage address-sanitizer address
run_stage thread-sanitizer thread
end_run
