#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit and contract tests
# on the headless presenter, the Windows build, every suite again under the sanitizers, the fuzz
# targets, and the end-to-end checks of the real program. Ends with one line of stage counts.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"
jobs="$(nproc 2>/dev/null || echo 2)"

passed=0
failed=0
failed_stages=()

stage() {
  local name="$1"
  shift
  echo
  echo "==== $name"
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    failed_stages+=("$name")
    echo "==== $name FAILED"
  fi
}

build_all() {
  # Tests on, also where run.sh configured the same build without them.
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKD508_BUILD_TESTS=ON >/dev/null &&
    cmake --build "$build" -j"$jobs"
}

unit_tests() {
  ctest --test-dir "$build" --output-on-failure -j"$jobs"
}

"$root/scripts/install-deps.sh" test || { echo "installing the build's packages failed"; exit 1; }

stage "build" build_all
stage "unit and contract tests" unit_tests
stage "the runtime as a library: install, examples, Debian packages" "$root/scripts/test-library.sh" "$build"
stage "Windows build" "$root/scripts/build-windows.sh"
stage "Windows program under Wine" "$root/scripts/test-wine.sh"
stage "every unit and contract suite under the address and undefined-behaviour sanitizers" "$root/scripts/test-sanitizers.sh"
stage "fuzz targets, 60 seconds each" "$root/scripts/test-fuzz.sh"
stage "end-to-end tests of the real program on a virtual display" "$root/scripts/test-e2e.sh" "$build"
stage "end-to-end tests of the real program on a Wayland compositor" "$root/scripts/test-wayland.sh" "$build"

echo
[ ${#failed_stages[@]} -gt 0 ] && printf 'failed stage: %s\n' "${failed_stages[@]}"
echo "stages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
