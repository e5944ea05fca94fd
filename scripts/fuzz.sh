#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fuzzes the settings reader with libFuzzer for the given number of seconds
# (default 60). Needs clang++. Builds in build-fuzz and works on a copy of
# fuzz/corpus, so new inputs never land in the repository; crashing inputs
# are kept in build-fuzz/artifacts and the script fails.
#   fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}

cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_FUZZ=ON -DNIMBREL_TESTS=OFF >/dev/null
cmake --build "$root/build-fuzz" --target config_fuzz -j"$(nproc)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$root/fuzz/corpus" "$work/corpus"
mkdir -p "$root/build-fuzz/artifacts"

# Every run writes and reads small files; in memory that is an order of
# magnitude faster than on disk.
scratch=${TMPDIR:-/tmp}
[ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm

# -timeout catches an input that makes the reader loop forever; one run takes
# milliseconds, the margin is for a busy machine.
TMPDIR="$scratch" "$root/build-fuzz/fuzz/config_fuzz" \
  -max_total_time="$seconds" -timeout=60 -print_final_stats=1 \
  -artifact_prefix="$root/build-fuzz/artifacts/" \
  "$work/corpus"
