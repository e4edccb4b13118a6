#!/usr/bin/env bash
# Builds everything (the runtime, the platform layer with both presenters, the program and every
# test) with AddressSanitizer and UndefinedBehaviorSanitizer in a build of their own and runs
# every unit and contract suite, the real program's command-line tests among them: no byte may
# be touched outside a buffer and no counter may overflow anywhere. The Qt suites run on Qt's
# offscreen platform, so no display is needed.
# Usage: scripts/test-sanitizers.sh [build directory]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-sanitize}"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKD508_SANITIZE=ON \
  -DKD508_BUILD_QT=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)"

# The system's fontconfig keeps its configuration for the life of the process; that is not ours.
export LSAN_OPTIONS="suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# Every suite, each named in the output with its result.
ctest --test-dir "$build" --output-on-failure -j"$(nproc 2>/dev/null || echo 2)"
