#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds nimbrel with its tests and runs every test:
# the SDL 1.2 build (its whole-program tests on classic SDL 1.2 and on
# sdl12-compat), the SDL 2 build (on Debian's SDL 2 and on sdl2-compat,
# compared frame by frame with the other builds), the SDL 3 build (on SDL 3),
# and the SDL 2 build again built with AddressSanitizer and
# UndefinedBehaviorSanitizer, on Debian's SDL 2.
#
# SDL 3 and sdl2-compat are Debian's packages where it has them (Debian 13).
# Where it has not (Debian 12), the SDL 3 build and the sdl2-compat pass run
# only with NIMBREL_SDL3=build, which builds both from Debian 13's sources
# once (some 10 minutes on 2 cores, more than all the rest); CI runs them on
# Debian 13 (scripts/test-debian13.sh).
#
# The builds and their tests run side by side; each line of output starts
# with its build. Every build's whole-program tests start as soon as it is
# built, but together no more of them run at once than NIMBREL_E2E_SLOTS
# (default: one a core), since each keeps an X server and the program busy;
# the builds and unit tests run beside them at a lower priority.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --tests --no-sdl3
jobs=$(nproc)
export NIMBREL_E2E_SLOTS=${NIMBREL_E2E_SLOTS:-$jobs}

sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
asan=(-DCMAKE_BUILD_TYPE=Debug -DNIMBREL_BENCH=OFF -DCMAKE_CXX_FLAGS="$sanitize"
      -DCMAKE_EXE_LINKER_FLAGS="$sanitize" -DCMAKE_SHARED_LINKER_FLAGS="$sanitize" -DNIMBREL_E2E_ON=sdl2)
# The X and SDL libraries keep memory until exit; only our own leaks count.
# Builds without the sanitizers ignore these.
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# build DIR NICENESS SDL [cmake options...]: configures and builds one build.
build() {
  local dir=$1 niceness=$2 sdl=$3
  shift 3
  cmake -S "$root" -B "$root/$dir" -DNIMBREL_SDL="$sdl" -DNIMBREL_TESTS=ON "$@" >/dev/null
  nice -n "$niceness" cmake --build "$root/$dir" -j"$jobs"
}

# check DIR NICENESS CTEST-OPTIONS...: runs tests of one build.
check() {
  local dir=$1 niceness=$2
  shift 2
  (cd "$root/$dir" && nice -n "$niceness" ctest --output-on-failure "$@")
}

# marked DIR FUNCTION [ARGS...]: runs FUNCTION DIR ARGS..., each line of its
# output marked with the build's folder.
marked() {
  local dir=$1 function=$2
  shift 2
  "$function" "$dir" "$@" 2>&1 | sed -u "s|^|$dir: |"
}

state=$(mktemp -d)
trap 'rm -rf "$state"' EXIT

# prepare DIR NICENESS SDL [cmake options...]: builds DIR, says so in
# $state, then runs its unit tests at a lower priority.
prepare() {
  local dir=$1 status=0
  shift
  marked "$dir" build "$@" || status=$?
  echo "$status" >"$state/$dir.tmp" && mv "$state/$dir.tmp" "$state/$dir"
  [ "$status" -eq 0 ] && marked "$dir" check 10 -LE e2e -j"$jobs"
}

# built DIR: waits until DIR is built; fails if its build failed.
built() {
  while [ ! -e "$state/$1" ]; do sleep 1; done
  [ "$(cat "$state/$1")" -eq 0 ]
}

# Where Debian packages SDL 3 and sdl2-compat (Debian 13), install-deps.sh
# installed them: the builds use those.
packaged=$(dpkg-query -W -f='${Status}\n' libsdl3-dev libsdl2-compat 2>/dev/null | grep -c 'install ok installed' || true)
sdl3_options=(-DCMAKE_PREFIX_PATH="$root/build/sdl3/prefix")
compat_options=()
with_sdl3=1
if [ "$packaged" -eq 2 ]; then
  sdl3_options=()
  compat_options=(-DNIMBREL_SDL2_COMPAT_DIR="/usr/lib/$(gcc -print-multiarch)/sdl2-compat")
  echo "test.sh: SDL 3 and sdl2-compat as Debian packages them"
elif [ "${NIMBREL_SDL3:-}" != build ]; then
  with_sdl3=0
  compat_options=(-DNIMBREL_E2E_ON=sdl2 -DNIMBREL_SDL2_COMPAT_DIR= -DNIMBREL_SDL3_BIN=)
  echo "test.sh: no SDL 3 here: the SDL 3 build and the pass on sdl2-compat are left out (NIMBREL_SDL3=build builds them)"
fi

if [ "$(/usr/bin/python3 -B "$root/tests/e2e/harness.py" --sdl-library libSDL-1.2.so.0)" = sdl12-compat ]; then
  echo "test.sh: no classic SDL 1.2 here: the SDL 1.2 build is tested on sdl12-compat only"
fi

# sdl3 DIR: SDL 3 and sdl2-compat from Debian 13's sources into DIR, once
# (then kept), said in $state as a build is; nothing where Debian has them.
sdl3() {
  local status=0
  [ "$packaged" -eq 2 ] || nice -n 10 "$root/scripts/build-sdl3.sh" "$root/$1" || status=$?
  echo "$status" >"$state/sdl3.tmp" && mv "$state/sdl3.tmp" "$state/sdl3"
  return "$status"
}

# after_sdl3 DIR NICENESS SDL [cmake options...]: prepares DIR once SDL 3 is
# there; without it DIR's build fails.
after_sdl3() {
  if built sdl3; then
    prepare "$@"
  else
    echo 1 >"$state/$1"
    return 1
  fi
}

# The SDL 1.2 build first, so that its tests can start, and SDL 3 beside it
# at a lower priority; the benchmark is built once, in the SDL 2 build.
pids=()
builds=(build-sdl12 build build-asan)
prepare build-sdl12 0 1.2 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_BENCH=OFF &
pids+=($!)
if [ "$with_sdl3" -eq 1 ]; then
  marked build/sdl3 sdl3 &
  pids+=($!)
  after_sdl3 build-sdl3 10 3 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_BENCH=OFF "${sdl3_options[@]}" &
  pids+=($!)
  builds+=(build-sdl3)
fi
prepare build 10 2 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_SDL12_BIN="$root/build-sdl12/nimbrel" \
  -DNIMBREL_SDL3_BIN="$root/build-sdl3/nimbrel" "${compat_options[@]}" &
pids+=($!)
prepare build-asan 10 2 "${asan[@]}" &
pids+=($!)

# e2e DIR: once DIR is built (and, for the SDL 2 build's tests on
# sdl2-compat and its comparison with the other builds' frames, SDL 3 and
# those builds), its whole-program tests, as many at once as there are
# slots; the slots keep all builds' tests together within them.
e2e() {
  if built "$1" && { [ "$1" != build ] || { built build-sdl12 && { [ "$with_sdl3" -eq 0 ] || { built sdl3 && built build-sdl3; }; }; }; }; then
    marked "$1" check 0 -L e2e -j"$NIMBREL_E2E_SLOTS"
  else
    return 1
  fi
}

for dir in "${builds[@]}"; do
  e2e "$dir" &
  pids+=($!)
done
failed=0
for pid in "${pids[@]}"; do
  wait "$pid" || failed=1
done
if [ "$failed" -ne 0 ]; then
  echo "test.sh: a build or a test failed (see \"FAILED\" and \"Failed\" above)"
  exit 1
fi
echo "test.sh: every build and test passed"
