#!/usr/bin/env bash
# End-to-end tests: the real bugwalk on a virtual X display (Xvfb, so no display is needed),
# driven with xdotool as a person would drive it, judged by screenshots.
# Usage: scripts/test-e2e.sh [BUILD_DIRECTORY]   (default: build)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
program="$build/app/bugwalk"

[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target bugwalk >/dev/null
# Screens of failed tests are kept here.
export KD508_TEST_OUTPUT="$build/test-output/e2e"
exec python3 -B "$root/tests/e2e/bugwalk_e2e.py" "$program"
