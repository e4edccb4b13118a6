#!/usr/bin/env bash
# Checks the Windows program under Wine: that it needs no DLL beyond those every Windows machine
# has, that it carries its icon, manifest and version, that it starts, reacts to clicks and keys, records a script with CR LF line ends that
# plays back to the same frame, plays a script recorded by the Linux build to the frame the
# Linux build showed, writes that frame as a PNG screenshot when asked, and quits with Ctrl+Q
# and status 0. Each run makes a Wine prefix of its
# own in a temporary directory and removes it afterwards.
# Usage: scripts/test-wine.sh [Windows build directory]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-windows}"
program="$build/app/bugwalk.exe"
# Starting Wine in a fresh prefix takes seconds; the whole check takes about two minutes.
time_limit_seconds=900

[ -f "$program" ] || "$root/scripts/build-windows.sh" "$build"

# The DLLs that come with Windows itself; anything else would have to be shipped beside the
# program. ole32 is the COM library through which a screenshot reaches the system's own PNG
# encoder; it is part of every Windows, as that encoder is.
system_dlls='^(KERNEL32|USER32|GDI32|msvcrt|ole32)\.dll$'
imports="$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')"
unexpected="$(grep -Eiv "$system_dlls" <<<"$imports" || true)"
if [ -n "$unexpected" ]; then
  echo "bugwalk.exe needs DLLs that Windows does not have: $unexpected"
  exit 1
fi
echo "bugwalk.exe imports only system DLLs: $(tr '\n' ' ' <<<"$imports")"
# Its icon, application manifest and version resource (the project's version).
python3 -B "$root/tests/wine/pe_resources.py" "$program" "$root/CMakeLists.txt"

export KD508_TEST_OUTPUT="${KD508_TEST_OUTPUT:-$build/test-output/wine}"
# Everything the check makes (the prefix of about 700 MB, the display's files, the programs'
# directories) goes into one directory that is removed however the check ends, a time-out
# included: timeout signals the whole process group, and this shell cleans up after it.
scratch="$(mktemp -d "${TMPDIR:-/tmp}/bugwalk-wine-check-XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
# The examples, written in C with their own main(), built against the installed package as a
# newcomer's program would be.
cmake --install "$build" --prefix "$scratch/kd508" >/dev/null
cmake -S "$root/examples" -B "$scratch/examples" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_PREFIX_PATH="$scratch/kd508" >/dev/null
cmake --build "$scratch/examples" >/dev/null
export KD508_WINE_EXAMPLES="$scratch/examples"
cd "$root/tests/wine"
# The source tree stays as it is: no compiled Python beside the tests.
export PYTHONDONTWRITEBYTECODE=1
TMPDIR="$scratch" timeout --kill-after=30 "$time_limit_seconds" python3 bugwalk_wine.py "$program"
