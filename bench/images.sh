#!/usr/bin/env bash
# The image engines' benchmark: bench/image_bench.cpp (the engines called directly, one thread,
# on a 2000-by-2000 plane), OpenCV's medianBlur through /usr/bin/python3 (one thread, same size)
# and Octave's image package medfilt2 (on a 500-by-500 crop), one after the other in one run on
# this machine; prints a markdown table of ns a pixel with ratios, also written to
# bench/images_results.md (with --quick, one round each, to build/bench/images/).
# Usage: bash bench/images.sh [--quick]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages g++ python3-opencv octave octave-image
rounds=3
results=bench/images_results.md
out=build/bench/images
if [ "${1:-}" = --quick ]; then rounds=1; results=$out/images_results.md; fi
mkdir -p "$out"
g++ -std=c++17 -O2 -g -Wall -Wextra -I. bench/image_bench.cpp core/images/*.cpp core/counted/rank_set.cpp \
  core/support/*.cpp -o "$out/image_bench" -lpthread
{
  "$out/image_bench" "$rounds"
  /usr/bin/python3 bench/images_opencv.py "$rounds"
  octave --no-gui --quiet bench/images_octave.m
} | tee "$out/times.txt"
/usr/bin/python3 bench/images_report.py "$out/times.txt" "$(lscpu | sed -n 's/^Model name: *//p')" |
  tee "$results.partial"
mv "$results.partial" "$results"
