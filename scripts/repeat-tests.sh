#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the test command (scripts/test.sh) RUNS times, each on a fresh clone
# of this checkout's HEAD in a new folder of mode 0700 (as mktemp -d and
# Debian's home folders make them), with BUSY busy loops at normal priority
# beside it, and prints for each run its time and the tests that failed:
#   repeat-tests.sh RUNS [BUSY]
# Not run by CI: it proves that the tests do not depend on a quiet machine.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:?usage: repeat-tests.sh RUNS [BUSY]}
busy=${2:-0}

loops=()
for _ in $(seq "$busy"); do
  sh -c 'while :; do :; done' &
  loops+=($!)
done
trap 'kill "${loops[@]}" 2>/dev/null' EXIT

passed=0
for run in $(seq "$runs"); do
  dir=$(mktemp -d)
  git clone -q "$root" "$dir/nimbrel"
  start=$SECONDS
  bash "$dir/nimbrel/scripts/test.sh" >"$dir/test.log" 2>&1
  status=$?
  # CTest's list: "<build>: <tab> 12 - e2e.sdl2.test_x.XTest (Failed)".
  failed=$(grep -E '^[^ ]+:[[:space:]]+[0-9]+ - .* \((Failed|Timeout|SEGFAULT|Subprocess|Exception|Not Run)' \
             "$dir/test.log" | sed -E 's/^([^ ]+):[[:space:]]+[0-9]+ - ([^ ]+) .*/\1:\2/' | sort -u | tr '\n' ' ')
  echo "run $run: status $status in $((SECONDS - start)) s, busy loops $busy${failed:+, failed: $failed} (log: $dir/test.log)"
  [ "$status" -eq 0 ] && passed=$((passed + 1))
  rm -rf "$dir/nimbrel"  # the builds; the log stays
done
echo "$passed of $runs runs passed"
[ "$passed" -eq "$runs" ]
