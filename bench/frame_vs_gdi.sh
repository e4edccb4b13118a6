#!/usr/bin/env bash
# The frame through our layer against the same frame through Win32 GDI, in one run.
#
# Builds bench/frame_probe.cpp twice from the same runtime and program sources: against the
# layer (the headless presenter, in the Linux build directory) and with MinGW-w64 against the
# system's own GDI, which runs under Wine in a prefix of its own (Wine's null graphics driver, so
# no display is needed). Runs both for the heaviest frame and the one-bug frame and prints each
# median and the ratio GDI / layer. Reports; never fails on the figures.
#
# Usage: bench/frame_vs_gdi.sh [Linux build directory] [frames]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
frames="${2:-3000}"

for tool in x86_64-w64-mingw32-g++ /usr/lib/wine/wine64; do
  command -v "$tool" >/dev/null || { echo "frame_vs_gdi: $tool is missing (see scripts/install-deps.sh)" >&2; exit 2; }
done

cmake --build "$build" --target frame_probe >/dev/null
layer_probe="$build/bench/frame_probe"

scratch="$(mktemp -d "${TMPDIR:-/tmp}/kd508-frame-vs-gdi-XXXXXX")"
cleanup() {
  WINEPREFIX="$scratch/prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

# The Windows probe: the runtime and the program's drawing code, as the Windows build compiles
# them (its release flags, statically linked), plus the probe itself.
app_sources=()
for source in "$root"/app/*.cpp; do
  [ "$(basename "$source")" = main.cpp ] || app_sources+=("$source")
done
x86_64-w64-mingw32-g++ -std=c++20 -O2 -DNDEBUG -DWIN32_LEAN_AND_MEAN -DNOMINMAX \
  -I"$root/runtime/include" -I"$root/runtime/src" -I"$root/app" \
  "$root"/runtime/src/*.cpp "${app_sources[@]}" "$root/bench/frame_probe.cpp" \
  -static -lgdi32 -luser32 -o "$scratch/frame_probe.exe"

export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
/usr/lib/wine/wineserver -w

median_of() { sed -n 's/^[a-z-]* median \([0-9.]*\) us.*/\1/p' <<<"$1"; }

echo "frames per run: $frames (after a warm-up); times are medians of single frames"
for which in heaviest one-bug; do
  # The runs alternate, so that a change in the machine's load hits both alike.
  gdi="$(/usr/lib/wine/wine64 "$scratch/frame_probe.exe" "$which" "$frames" | tr -d '\r')"
  layer="$("$layer_probe" "$which" "$frames")"
  echo "$which frame, Win32 GDI under Wine: $gdi"
  echo "$which frame, KD508 layer:          $layer"
  awk -v gdi="$(median_of "$gdi")" -v layer="$(median_of "$layer")" -v which="$which" \
    'BEGIN { printf "%s frame: layer %.1f us, GDI %.1f us, layer is %.2f times as fast as GDI\n", which, layer, gdi, gdi / layer }'
done
