#!/usr/bin/env bash
# The runtime as a library, tried as its users get it:
#  1. `cmake --install` into a scratch prefix; the examples built out of tree against it, once
#     through the CMake package and once through pkg-config, each run headless and its picture
#     compared with the golden one (the palette example's picture is the reference's own).
#  2. The Debian packages CPack makes: their files and dependencies, lintian, and an example
#     built against the development package unpacked into a scratch root.
# Usage: scripts/test-library.sh [build directory]   (default: build, configured and built)
# Golden pictures are rewritten with KD508_UPDATE_GOLDEN=1.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
golden="$root/tests/examples/golden"
scripts="$root/tests/examples/scripts"
examples=(picture bounce click_draw typing palette_swatches)

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# How each example is run headless: from its script when it has one (the run ends with the
# script), for a second of virtual time when it only draws.
options_for() {
  local example="$1" screenshot="$2"
  if [ -f "$scripts/$example.scr" ]; then
    echo "--headless --play $scripts/$example.scr --screenshot $screenshot"
  else
    echo "--headless --run-for 1000 --screenshot $screenshot --transcript ${screenshot%.png}.transcript"
  fi
}

# Runs the examples in a directory and compares their pictures with the golden ones.
run_examples() {
  local how="$1" directory="$2" example picture expected
  for example in "${examples[@]}"; do
    picture="$scratch/$how-$example.png"
    if ! (cd "$scratch" && KD508_OPTIONS="$(options_for "$example" "$picture")" "$directory/$example" >/dev/null); then
      fail "$how: $example did not end with status 0"
      continue
    fi
    expected="$golden/$example.png"
    [ "$example" = palette_swatches ] && expected="$root/docs/palette.png"
    if [ "${KD508_UPDATE_GOLDEN:-}" = 1 ] && [ "$how" = cmake ]; then
      cp "$picture" "$expected"
      [ "$example" = picture ] && cp "${picture%.png}.transcript" "$golden/picture.transcript"
    elif [ "$example" = picture ] && ! cmp -s "${picture%.png}.transcript" "$golden/picture.transcript"; then
      fail "$how: the picture's transcript differs from $golden/picture.transcript"
    elif ! cmp -s "$picture" "$expected"; then
      fail "$how: $example drew something else than $expected (its picture: $picture)"
      mkdir -p "$build/test-output/examples" && cp "$picture" "$build/test-output/examples/"
    else
      echo "ok: $how: $example"
    fi
  done
}

build_with_cmake() {
  local prefix="$1" out="$2"
  cmake -S "$root/examples" -B "$out" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null &&
    cmake --build "$out" >/dev/null
}

build_with_pkg_config() {
  local pkgconfig_dir="$1" out="$2"
  mkdir -p "$out"
  cp "$root"/examples/*.c "$root/examples/Makefile" "$out/"
  PKG_CONFIG_PATH="$pkgconfig_dir" make -s -C "$out"
}

[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" >/dev/null

echo "== installed into a scratch prefix"
prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in include/kd508.h lib/libkd508_runtime.a lib/cmake/KD508/KD508Config.cmake \
            lib/cmake/KD508/KD508ConfigVersion.cmake lib/pkgconfig/kd508.pc bin/bugwalk; do
  [ -f "$prefix/$file" ] || fail "the install has no $file"
done
# The layer's private headers stay out of what programs see.
[ "$(find "$prefix/include" -type f | wc -l)" -eq 1 ] || fail "the install holds headers beside kd508.h"
version="$(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --modversion kd508)"
[ "$version" = "$("$build/app/bugwalk" --version | awk '{print $NF}')" ] ||
  fail "pkg-config says version $version, bugwalk --version says otherwise"

build_with_cmake "$prefix" "$scratch/cmake" && run_examples cmake "$scratch/cmake" || fail "the examples do not build with the CMake package"
build_with_pkg_config "$prefix/lib/pkgconfig" "$scratch/pkg-config" && run_examples pkg-config "$scratch/pkg-config" ||
  fail "the examples do not build with pkg-config"

echo "== a program written for Windows, with WinMain, in C"
(cd "$scratch" && cc -std=c99 -Wall -Wextra -Werror -o winmain_program "$root/tests/examples/winmain_program.c" \
   $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs --static kd508)) &&
  (cd "$scratch" && ./winmain_program --headless --run-for 500 --screenshot winmain.png >/dev/null) &&
  [ -s "$scratch/winmain.png" ] && echo "ok: WinMain in C" || fail "a C program with WinMain does not build or run"

echo "== a program with its own main(), in C++"
(cd "$scratch" && c++ -std=c++17 -Wall -Wextra -Werror -x c++ -o picture_cpp "$root/examples/picture.c" -x none \
   $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs --static kd508)) &&
  (cd "$scratch" && KD508_OPTIONS="--headless --run-for 1000 --screenshot cpp.png" ./picture_cpp >/dev/null) &&
  cmp -s "$scratch/cpp.png" "$golden/picture.png" && echo "ok: main() in C++" ||
  fail "the picture example built as C++ does not build, run or draw the same"

echo "== Debian packages"
(cd "$build" && cpack -G DEB -B "$scratch/packages" >/dev/null)
program_deb="$(ls "$scratch"/packages/bugwalk_*.deb)"
dev_deb="$(ls "$scratch"/packages/libkd508-dev_*.deb)"
dpkg-deb -c "$program_deb" | awk '{print $NF}' > "$scratch/program-files"
dpkg-deb -c "$dev_deb" | awk '{print $NF}' > "$scratch/dev-files"
for file in ./usr/bin/bugwalk ./usr/share/man/man1/bugwalk.1.gz ./usr/share/doc/bugwalk/copyright; do
  grep -qx "$file" "$scratch/program-files" || fail "bugwalk package lacks $file"
done
for file in ./usr/include/kd508.h ./usr/lib/libkd508_runtime.a ./usr/lib/libkd508_platform.a \
            ./usr/lib/libkd508_presenter_qt.a ./usr/lib/libkd508_entry.a ./usr/lib/pkgconfig/kd508.pc \
            ./usr/lib/cmake/KD508/KD508Config.cmake ./usr/share/doc/libkd508-dev/copyright; do
  grep -qx "$file" "$scratch/dev-files" || fail "libkd508-dev package lacks $file"
done
grep -q "usr/bin" "$scratch/dev-files" && fail "libkd508-dev carries the program"
grep -q "usr/lib/.*\.a$" "$scratch/program-files" && fail "the bugwalk package carries libraries"
program_depends="$(dpkg-deb -f "$program_deb" Depends)"
dev_depends="$(dpkg-deb -f "$dev_deb" Depends)"
echo "bugwalk depends on: $program_depends"
echo "libkd508-dev depends on: $dev_depends"
for needed in libqt6widgets6 libfreetype6 libfontconfig1 libpng16-16 fonts-liberation2; do
  [[ "$program_depends" == *"$needed"* ]] || fail "bugwalk does not depend on $needed"
done
for needed in qt6-base-dev libfreetype-dev libfontconfig-dev libpng-dev libxcb1-dev; do
  [[ "$dev_depends" == *"$needed"* ]] || fail "libkd508-dev does not depend on $needed"
done
if command -v lintian >/dev/null; then
  # Errors fail the check; warnings are shown. The program's own tests are not Debian's
  # business, nor is a package built outside a Debian source package.
  if ! lintian --fail-on error --allow-root --suppress-tags no-changelog,debian-changelog-file-missing-or-wrong-name \
        "$program_deb" "$dev_deb"; then
    fail "lintian finds errors in the packages"
  fi
fi

echo "== an example built against the unpacked development package"
unpacked="$scratch/root"
dpkg -x "$dev_deb" "$unpacked"
build_with_cmake "$unpacked/usr" "$scratch/deb-cmake" || fail "an example does not build against libkd508-dev with CMake"
build_with_pkg_config "$unpacked/usr/lib/pkgconfig" "$scratch/deb-pkg-config" ||
  fail "an example does not build against libkd508-dev with pkg-config"
if [ -x "$scratch/deb-cmake/picture" ]; then
  (cd "$scratch" && KD508_OPTIONS="--headless --run-for 1000 --screenshot deb.png" "$scratch/deb-cmake/picture" >/dev/null) &&
    cmp -s "$scratch/deb.png" "$golden/picture.png" && echo "ok: picture from the package" ||
    fail "the picture built against libkd508-dev draws something else"
fi

echo
echo "library checks: $failures failed"
[ "$failures" -eq 0 ]
