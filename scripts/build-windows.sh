#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds nimbrel for 64-bit Windows on Debian: build-windows/nimbrel.exe,
# nimbrel.scr (the screensaver), the installer nimbrel-1.0-setup.exe and a
# .zip of the two programs. Installs what is missing (MinGW-w64, NSIS, ...).
#
# No Debian package ships SDL 2 or GoogleTest built for Windows: SDL 2 is
# cross-built from Debian's own source package (apt-get source libsdl2, through
# a deb-src entry of our own for the mirror the machine already uses), and
# GoogleTest from the googletest package's sources, each once into
# build-windows/deps, again only when its Debian version changes.
#   build-windows.sh           the programs, the installer and the .zip
#   build-windows.sh --tests   also the unit tests and the preview's test window
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build-windows
deps=$out/deps
toolchain=$root/cmake/mingw-w64-x86_64.cmake
tests=OFF
[ "${1:-}" = "--tests" ] && tests=ON

"$root/scripts/install-deps.sh" --windows ${1:+"$1"}
mkdir -p "$deps"

# apt-get on a sources list of our own that has the machine's Debian mirrors
# as deb-src entries; the machine's own lists stay as they are.
apt="$deps/apt"
aptopts=(-o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts="$apt/sources.list.d"
         -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o APT::Sandbox::User=root)
mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial"
: >"$apt/sources.list"
if [ -f /etc/apt/sources.list ]; then
  sed -n 's/^deb \(.*debian.*\)/deb-src \1/p' /etc/apt/sources.list >>"$apt/sources.list"
fi
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] && grep -q '^URIs:.*debian' "$f" && sed 's/^Types: deb$/Types: deb-src/' "$f" >"$apt/sources.list.d/$(basename "$f")"
done
for f in /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] && sed -n 's/^deb \(.*debian.*\)/deb-src \1/p' "$f" >>"$apt/sources.list"
done
# Offline, the SDL built before stands.
apt-get "${aptopts[@]}" -qq update || [ -f "$deps/sdl2.version" ]

# cross_build NAME SOURCE-DIR CMAKE-OPTIONS...: builds and installs a library
# into $deps/NAME for Windows.
cross_build() {
  local name=$1 src=$2
  shift 2
  rm -rf "$deps/$name" "$deps/$name-build"
  cmake -S "$src" -B "$deps/$name-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$deps/$name" "$@" >/dev/null
  nice -n 10 cmake --build "$deps/$name-build" -j"$(nproc)" >/dev/null
  cmake --install "$deps/$name-build" >/dev/null
  rm -rf "$deps/$name-build"
}

# SDL 2 from Debian's source package, static, its version kept beside it.
sdl_version=$(apt-cache "${aptopts[@]}" showsrc libsdl2 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -n 1)
[ -n "$sdl_version" ] || sdl_version=$(cat "$deps/sdl2.version" 2>/dev/null || true)
if [ -z "$sdl_version" ]; then
  echo "build-windows.sh: no libsdl2 source package on the mirror" >&2
  exit 1
fi
if [ "$(cat "$deps/sdl2.version" 2>/dev/null)" != "$sdl_version" ]; then
  echo "Building SDL $sdl_version for Windows"
  rm -rf "$deps/sdl2-source"
  mkdir -p "$deps/sdl2-source"
  (cd "$deps/sdl2-source" && apt-get "${aptopts[@]}" -qq source "libsdl2=$sdl_version" >/dev/null)
  src=$(find "$deps/sdl2-source" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  cross_build sdl2 "$src" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
  rm -rf "$deps/sdl2-source"
  echo "$sdl_version" >"$deps/sdl2.version"
fi

gtest_dir=
if [ "$tests" = ON ]; then
  gtest_version=$(dpkg-query -W -f='${Version}' googletest)
  if [ "$(cat "$deps/gtest.version" 2>/dev/null)" != "$gtest_version" ]; then
    echo "Building GoogleTest $gtest_version for Windows"
    cross_build gtest /usr/src/googletest -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF
    echo "$gtest_version" >"$deps/gtest.version"
  fi
  gtest_dir=$(dirname "$(find "$deps/gtest" -name GTestConfig.cmake | head -n 1)")
fi

# Only the Windows SDL: CMake would otherwise find the machine's own sdl2.pc.
export PKG_CONFIG_LIBDIR=$deps/sdl2/lib/pkgconfig
export PKG_CONFIG_PATH=
cmake -S "$root" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DNIMBREL_TESTS="$tests" -DNIMBREL_BENCH=OFF ${gtest_dir:+-DGTest_DIR="$gtest_dir"} >/dev/null
nice -n 10 cmake --build "$out" -j"$(nproc)"
