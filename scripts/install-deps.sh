#!/usr/bin/env bash
# Installs what building, running and testing need on a fresh Debian or Ubuntu machine.
set -euo pipefail

packages=(
  # Build
  g++ cmake ninja-build pkg-config
  # Platform layer: fonts and the on-screen presenter
  libfreetype-dev libfontconfig-dev fontconfig fonts-dejavu-core qt6-base-dev
  # Tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev libpng-dev
  # Fuzz targets: clang and its libFuzzer runtime
  clang libclang-rt-14-dev
  # Windows build
  g++-mingw-w64-x86-64
  # The Windows program's check under Wine, with the fonts Wine ships (its own text faces)
  wine64 fonts-wine
  # End-to-end tests on a virtual display
  xvfb xdotool x11-apps x11-utils openbox python3
)

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
