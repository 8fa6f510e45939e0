#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# DUSTVANE_FUZZ_SECONDS sets the time per target (default 60).
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
install_packages "$scripts/packages-fuzz.txt"

build="$top/build-fuzz"
seconds="${DUSTVANE_FUZZ_SECONDS:-60}"
CXX=clang++ cmake -S "$top/tests/fuzz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "${DUSTVANE_JOBS:-2}"

passed=0
for target in fuzz_name_pattern fuzz_find_files; do
  corpus="$build/corpus-$target"
  mkdir -p "$corpus"
  echo "Fuzzing $target for ${seconds}s"
  # -seed keeps a CI run repeatable; findings are written under the build folder.
  "$build/$target" -seed=1 -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/$target-" "$corpus" 2>"$build/$target.log" \
    || { tail -n 40 "$build/$target.log"; echo "$target found a failure"; end_stage fuzz "$passed" 1 0; }
  grep -E "stat::number_of_executed_units" "$build/$target.log" || true
  passed=$((passed + 1))
done
end_stage fuzz "$passed" 0 0
