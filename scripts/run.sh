#!/usr/bin/env bash
# Installs what is missing, builds bugwalk and starts it on the user's display. The program
# records and plays its script, KD508.SCR, in the directory this is started from.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"

"$root/scripts/install-deps.sh" run
# The tests are not built here, so their packages are not needed.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKD508_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target bugwalk

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display to show the windows on (neither DISPLAY nor WAYLAND_DISPLAY is set)" >&2
  exit 1
fi
exec "$build/app/bugwalk" "$@"
