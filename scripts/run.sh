#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds nimbrel and runs it in the current directory
# (where it looks for nimbrel.conf).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DNIMBREL_TESTS=OFF >/dev/null
cmake --build "$root/build" --target nimbrel -j"$(nproc)"
exec "$root/build/nimbrel"
