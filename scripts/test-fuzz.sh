#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# (the runtime and the layer instrumented with them) and runs each for a bounded time from its
# seed corpus in the repository. New inputs go to a temporary directory, never into the seeds.
# Prints each target's run count; a crash, a hang or a slow call fails the stage and its input
# is kept in the build directory.
# Usage: scripts/test-fuzz.sh [build directory]   (KD508_FUZZ_SECONDS sets the time per target)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-fuzz}"
seconds="${KD508_FUZZ_SECONDS:-60}"
# The same seed every run, so that a run's inputs come in the same order and what one run finds,
# the next finds again (KD508_FUZZ_SEED=0 lets libFuzzer pick one).
seed="${KD508_FUZZ_SEED:-1}"
targets=(script_reader_fuzz drawing_calls_fuzz event_stream_fuzz)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKD508_BUILD_QT=OFF -DKD508_BUILD_FUZZ=ON "${launcher[@]}" >/dev/null
cmake --build "$build" --target "${targets[@]}" -j"$(nproc 2>/dev/null || echo 2)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
findings="$build/fuzz/findings"
mkdir -p "$findings"

# The system's fontconfig keeps its configuration for the life of the process; that is not ours.
export LSAN_OPTIONS="suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

failed=0
for target in "${targets[@]}"; do
  seeds="$root/fuzz/corpus/${target%_fuzz}"
  mkdir -p "$work/$target"
  # Caches that grow across inputs are no leak, so leaks are not looked for per input.
  if "$build/fuzz/$target" -max_total_time="$seconds" -seed="$seed" -timeout=20 -rss_limit_mb=4096 -max_len=4096 \
       -detect_leaks=0 -print_final_stats=1 -artifact_prefix="$findings/$target-" \
       "$work/$target" "$seeds" >"$work/$target.log" 2>&1; then
    status=passed
  else
    status=FAILED
    failed=1
    tail -n 40 "$work/$target.log"
  fi
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log" | tail -n 1)"
  echo "fuzz target $target: ${runs:-?} runs in ${seconds} s, $status"
done
exit "$failed"
