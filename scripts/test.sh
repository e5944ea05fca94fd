#!/usr/bin/env bash
# Installs what is missing, builds nimbrel with its tests and runs every test:
# once in a plain build, and once more built with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --tests
jobs=$(nproc)

cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_TESTS=ON >/dev/null
cmake --build "$root/build" -j"$jobs"
(cd "$root/build" && ctest --output-on-failure)

sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DNIMBREL_TESTS=ON -DNIMBREL_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="$sanitize" \
  -DCMAKE_SHARED_LINKER_FLAGS="$sanitize" >/dev/null
cmake --build "$root/build-asan" -j"$jobs"
# The X and SDL libraries keep memory until exit; only our own leaks count.
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd "$root/build-asan" && ctest --output-on-failure)
