#!/usr/bin/env bash
# Builds bugwalk.exe for Windows with MinGW-w64 from the same runtime and program sources,
# against the system's own Win32 API. The result is a single static executable:
#   build-windows/app/bugwalk.exe
# Usage: scripts/build-windows.sh [build directory]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-windows}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)"
echo "built $build/app/bugwalk.exe"
