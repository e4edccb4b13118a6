#!/usr/bin/env bash
# Builds the script, menu, event-wait and motion tests with AddressSanitizer and
# UndefinedBehaviorSanitizer in a build of their own and runs them: hostile scripts must not
# touch a byte outside a buffer, and no counter may overflow.
# Usage: scripts/test-sanitizers.sh [build directory]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-sanitize}"
targets=(runtime_script_test runtime_script_hostile_test runtime_run_menu_test platform_menu_test
         runtime_event_loop_test app_walk_test)

cmake -S "$root" -B "$build" -G Ninja -DKD508_SANITIZE=ON -DKD508_BUILD_QT=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}" -j2

# The system's fontconfig keeps its configuration for the life of the process; that is not ours.
export LSAN_OPTIONS="suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

pattern="$(IFS='|'; echo "^(${targets[*]})\$")"
ctest --test-dir "$build" --output-on-failure -R "$pattern"
