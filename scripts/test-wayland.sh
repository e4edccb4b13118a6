#!/usr/bin/env bash
# End-to-end tests on native Wayland: the real bugwalk on weston's headless backend (pixman
# renderer, a private runtime directory and socket, so no display is needed), with the
# toolkit's Wayland platform, driven through a test seat loaded into the compositor and judged
# by the compositor's screenshots.
# Usage: scripts/test-wayland.sh [BUILD_DIRECTORY]   (default: build)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"

[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target bugwalk kd508_weston_test_seat >/dev/null
# Screens of failed tests, and the first frame, are kept here.
export KD508_TEST_OUTPUT="$build/test-output/wayland"
cd "$root/tests/wayland"
exec python3 -B bugwalk_wayland_e2e.py "$build/app/bugwalk" "$build/tests/wayland/kd508_weston_test_seat.so"
