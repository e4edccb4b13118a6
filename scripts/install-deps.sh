#!/usr/bin/env bash
# Installs what is missing on a fresh Debian or Ubuntu machine.
# Usage: scripts/install-deps.sh run    what building and running the program need
#        scripts/install-deps.sh test   that, and what the tests, the Windows build and the
#                                       package checks need
set -euo pipefail

run_packages=(
  # Build
  g++ cmake ninja-build pkg-config
  # Platform layer: fonts (the metric-compatible faces first), screenshots (--screenshot) and
  # the on-screen presenter, natively on X11 and on Wayland desktops
  libfreetype-dev libfontconfig-dev fontconfig fonts-dejavu-core fonts-liberation2 libpng-dev
  qt6-base-dev qt6-wayland libxcb1-dev
)
test_packages=(
  # Unit tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # Fuzz targets: clang and its libFuzzer runtime
  clang libclang-rt-14-dev
  # Windows build
  g++-mingw-w64-x86-64
  # The Windows program's check under Wine, with the fonts Wine ships (its own text faces)
  wine64 fonts-wine
  # End-to-end tests on a virtual display
  xvfb xdotool x11-apps x11-utils openbox python3
  # End-to-end tests on a headless Wayland compositor
  weston libweston-10-dev imagemagick
  # The Debian packages: dependencies worked out from the program, and their check
  dpkg-dev lintian
)

case "${1:-}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
