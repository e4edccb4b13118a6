#!/usr/bin/env bash
# The frame through our layer against the same frame through Win32 GDI, in one run.
#
# Builds bench/frame_probe.cpp twice from the same runtime and program sources: against the
# layer (the headless presenter, in the Linux build directory) and with MinGW-w64 against the
# system's own GDI, which runs under Wine in a prefix of its own (Wine's null graphics driver, so
# no display is needed). Runs both in turns, several rounds, for the heaviest frame and the
# one-bug frame, prints each run's median and the ratio of the middle medians, GDI / layer.
# Reports; never fails on the figures.
#
# Usage: bench/frame_vs_gdi.sh [Linux build directory] [frames]
#        (KD508_FRAME_ROUNDS sets the number of rounds, 3 by default)
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

# The Windows probe: the runtime (with its options and screenshots) and the program's drawing
# code, as the Windows build compiles them (its release flags, statically linked), plus the probe.
app_sources=()
for source in "$root"/app/*.cpp; do
  [ "$(basename "$source")" = main.cpp ] || app_sources+=("$source")
done
version="$(sed -n 's/^project(KD508 VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
x86_64-w64-mingw32-g++ -std=c++20 -O2 -DNDEBUG -DWIN32_LEAN_AND_MEAN -DNOMINMAX -DKD508_VERSION="\"$version\"" \
  -I"$root/runtime/include" -I"$root/runtime/src" -I"$root/app" \
  "$root"/runtime/src/*.cpp "$root/runtime/platform/command_options.cpp" "$root"/runtime/platform/windows/*.cpp \
  "${app_sources[@]}" "$root/bench/frame_probe.cpp" \
  -static -lwindowscodecs -lole32 -luuid -lgdi32 -luser32 -o "$scratch/frame_probe.exe"

export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
/usr/lib/wine/wineserver -w

median_of() { sed -n 's/^[a-z-]* median \([0-9.]*\) us.*/\1/p' <<<"$1"; }
middle_of() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Other work on the machine moves single runs by tens of per cent, so the two probes run in
# turns, several times, and the middle of each side's medians is compared.
rounds="${KD508_FRAME_ROUNDS:-3}"
echo "frames per run: $frames (after a warm-up), $rounds runs of each in turn; times are medians of single frames"
for which in heaviest one-bug; do
  gdi_medians=() layer_medians=()
  for ((round = 1; round <= rounds; ++round)); do
    gdi="$(/usr/lib/wine/wine64 "$scratch/frame_probe.exe" "$which" "$frames" | tr -d '\r')"
    # Wine's server lingers for a few seconds after the program and would share the processor
    # with the layer's run.
    /usr/lib/wine/wineserver -w
    layer="$("$layer_probe" "$which" "$frames")"
    echo "  Win32 GDI under Wine: $gdi"
    echo "  KD508 layer:          $layer"
    gdi_medians+=("$(median_of "$gdi")")
    layer_medians+=("$(median_of "$layer")")
  done
  gdi_middle="$(printf '%s\n' "${gdi_medians[@]}" | middle_of)"
  layer_middle="$(printf '%s\n' "${layer_medians[@]}" | middle_of)"
  awk -v gdi="$gdi_middle" -v layer="$layer_middle" -v which="$which" \
    'BEGIN { printf "%s frame: layer %.1f us, Win32 GDI %.1f us (middle medians): the layer is %.2f times as fast\n", which, layer, gdi, gdi / layer }'
done
