#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds nimbrel with its tests and runs every test:
# the SDL 1.2 build (its whole-program tests on classic SDL 1.2 and on
# sdl12-compat), the SDL 2 build (compared frame by frame with the SDL 1.2
# build), then the SDL 2 build again built with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --tests
jobs=$(nproc)

# build DIR SDL [cmake options...]: configures and builds one build.
build() {
  local dir=$1 sdl=$2
  shift 2
  cmake -S "$root" -B "$root/$dir" -DNIMBREL_SDL="$sdl" -DNIMBREL_TESTS=ON "$@" >/dev/null
  cmake --build "$root/$dir" -j"$jobs"
}

# check DIR: every test of a build. The unit tests side by side; the
# whole-program tests one at a time, since some of them time frames and CPU.
check() {
  (cd "$root/$1" && ctest --output-on-failure -j"$jobs" -LE e2e && ctest --output-on-failure -L e2e)
}

build build-sdl12 1.2 -DCMAKE_BUILD_TYPE=RelWithDebInfo
check build-sdl12
build build 2 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_SDL12_BIN="$root/build-sdl12/nimbrel"
check build

sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
asan=(-DCMAKE_BUILD_TYPE=Debug -DNIMBREL_BENCH=OFF -DCMAKE_CXX_FLAGS="$sanitize"
      -DCMAKE_EXE_LINKER_FLAGS="$sanitize" -DCMAKE_SHARED_LINKER_FLAGS="$sanitize")
# The X and SDL libraries keep memory until exit; only our own leaks count.
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
build build-asan 2 "${asan[@]}"
check build-asan
