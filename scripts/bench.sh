#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the benchmark in Release and runs the landed-drop runs whose tables
# docs/performance.md quotes, writing them to bench/results/, then plots them.
#   bench.sh [quick]   quick: short runs, to see that everything works
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-rel" -DCMAKE_BUILD_TYPE=Release -DNIMBREL_TESTS=OFF >/dev/null
cmake --build "$root/build-rel" --target landed_bench -j"$(nproc)"
bench="$root/build-rel/bench/landed_bench"
out="$root/bench/results"
svg="$root/bench/step-time.svg"
mkdir -p "$out"

scale=1
if [ "${1:-}" = "quick" ]; then
  # Short runs leave the recorded results alone.
  scale=100
  out=$(mktemp -d)
  svg="$out/step-time.svg"
fi

"$bench" --steps $((2000000 / scale)) --window $((100000 / scale)) --show 0 | tee "$out/defaults-hidden.txt"
"$bench" --steps $((2000000 / scale)) --window $((100000 / scale)) --show 1 | tee "$out/defaults-shown.txt"
"$bench" --size 320x240 --rate 20 --speed 2 --steps $((2000000 / scale)) --window $((100000 / scale)) \
  | tee "$out/heavy.txt"
"$bench" --literal --steps $((240000 / scale)) --window $((10000 / scale)) | tee "$out/literal-hidden.txt"
"$bench" --steps $((240000 / scale)) --window $((10000 / scale)) | tee "$out/layer-hidden.txt"
python3 "$root/scripts/plot_bench.py" "$out/literal-hidden.txt" "$out/layer-hidden.txt" \
  > "$svg"

# Whole frames at three sizes, drops hidden and shown: the picture kept
# between frames (100,000 steps), and cleared and shown whole every frame as
# before, which costs milliseconds a frame at 3840x2160 (20,000 steps).
for size in 640x480 1920x1080 3840x2160; do
  for show in 0 1; do
    "$bench" --frame --size "$size" --show "$show" --steps $((100000 / scale)) --window $((10000 / scale)) \
      | tee "$out/frames-kept-$size-show$show.txt"
    "$bench" --frame --full --size "$size" --show "$show" --steps $((20000 / scale)) --window $((10000 / scale)) \
      | tee "$out/frames-cleared-$size-show$show.txt"
  done
done

# 3840x2160 at scale 2 against the rain at half the size, 1920x1080.
for show in 0 1; do
  "$bench" --frame --size 3840x2160 --scale 2 --show "$show" --steps $((100000 / scale)) --window $((10000 / scale)) \
    | tee "$out/frames-kept-3840x2160-scale2-show$show.txt"
done

# Heavy rain, where the pass over 100,000 falling drops is most of a frame.
"$bench" --frame --rate 200 --speed 1 --show 1 --steps $((4000 / scale)) --window $((250 / scale)) \
  | tee "$out/frames-heavy.txt"

# The settings page's far end, as long as the CPU runs let the rain settle
# (60 frames a second): dense rain at 3840x2160 at the automatic scale 2 and
# at scale 1, heavy rain there and at 640x480, and dense rain at 1920x1080.
# The frame time is headless; rects, rows and pixels are what a frame hands
# the display, which the X server then copies.
far() {
  local name=$1 steps=$2
  shift 2
  "$bench" --frame --show 1 --steps $((steps / scale)) --window $((steps / 6 / scale)) "$@" \
    | tee "$out/frames-far-$name.txt"
}
far 3840x2160-rate100-speed5-scale2 5400 --size 3840x2160 --scale 2 --rate 100 --speed 5
far 3840x2160-rate100-speed5-scale1 5400 --size 3840x2160 --rate 100 --speed 5
far 3840x2160-rate200-speed1-scale2 3600 --size 3840x2160 --scale 2 --rate 200 --speed 1
far 640x480-rate200-speed1 1200 --size 640x480 --rate 200 --speed 1
far 1920x1080-rate100-speed5 5400 --size 1920x1080 --rate 100 --speed 5
