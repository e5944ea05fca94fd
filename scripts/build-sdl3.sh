#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds SDL 3 and sdl2-compat on top of it from Debian 13's source packages,
# for the SDL 3 build and for the SDL 2 build's tests on sdl2-compat:
#   build-sdl3.sh DIR
# installs both into DIR/prefix (libSDL3, and sdl2-compat's libSDL2 beside
# it), once: again only when the versions below change. Debian 12 has
# neither; their Build-Depends come from Debian 12 (install-deps.sh --tests).
set -euo pipefail
SDL3_VERSION=3.2.10+ds-1
SDL2_COMPAT_VERSION=2.32.54+ds-1

dir=$(mkdir -p "$1" && cd "$1" && pwd)
wanted="libsdl3 $SDL3_VERSION sdl2-compat $SDL2_COMPAT_VERSION"
[ "$(cat "$dir/prefix/versions" 2>/dev/null)" = "$wanted" ] && exit 0
rm -rf "$dir"/{src,build,prefix}
mkdir -p "$dir"/{src,build,apt/lists/partial,apt/cache/archives/partial}

# Debian 13's sources from the mirror this machine already uses, through an
# apt state of its own: the system's apt never sees Debian 13.
mirror=$(grep -hoE '^(URIs:|deb) *https?://[^ ]*/debian/?( |$)' /etc/apt/sources.list /etc/apt/sources.list.d/* 2>/dev/null \
           | grep -oE 'https?://[^ ]*' | head -n1 || true)
if [ -z "$mirror" ]; then
  echo "build-sdl3.sh: no Debian mirror in this machine's apt sources (/etc/apt/sources.list*), so Debian 13's sources cannot be fetched" >&2
  exit 1
fi
echo "deb-src $mirror trixie main" >"$dir/apt/sources.list"
apt=(-o Dir::Etc::SourceList="$dir/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
     -o Dir::State::Lists="$dir/apt/lists" -o Dir::Cache="$dir/apt/cache" -o APT::Sandbox::User="$(id -un)")
apt-get "${apt[@]}" -qq update
(cd "$dir/src" && apt-get "${apt[@]}" -qq source libsdl3="$SDL3_VERSION" sdl2-compat="$SDL2_COMPAT_VERSION" >/dev/null)

# What the +ds tarball leaves out, made as debian/rules makes it.
sdl3=$(echo "$dir"/src/libsdl3-*/)
(cd "$sdl3/build-scripts" && perl ./makecasefoldhashtable.pl >../src/stdlib/SDL_casefolding.h)
(cd "$sdl3/src/render/gpu/shaders" && LC_ALL=C bash -e ./build-shaders.sh >/dev/null)
(cd "$sdl3/src/render/vulkan" && sh -e ./compile_shaders.bat >/dev/null)

jobs=$(nproc)
cmake -S "$sdl3" -B "$dir/build/sdl3" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX="$dir/prefix" \
      -DCMAKE_INSTALL_LIBDIR=lib -DSDL_STATIC=OFF -DSDL_TESTS=OFF -DSDL_EXAMPLES=OFF -DSDL_INSTALL_DOCS=OFF \
      -DSDL_X11=ON -DSDL_WAYLAND=ON -DSDL_JACK=OFF -DSDL_OSS=OFF -DSDL_RPI=OFF -DSDL_VIVANTE=OFF >/dev/null
nice -n 10 cmake --build "$dir/build/sdl3" -j"$jobs" >/dev/null
cmake --install "$dir/build/sdl3" >/dev/null
compat=$(echo "$dir"/src/sdl2-compat-*/)
cmake -S "$compat" -B "$dir/build/sdl2-compat" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_PREFIX_PATH="$dir/prefix" \
      -DCMAKE_INSTALL_PREFIX="$dir/prefix" -DCMAKE_INSTALL_LIBDIR=lib -DSDL2COMPAT_TESTS=OFF >/dev/null
nice -n 10 cmake --build "$dir/build/sdl2-compat" -j"$jobs" >/dev/null
cmake --install "$dir/build/sdl2-compat" >/dev/null
echo "$wanted" >"$dir/prefix/versions"
