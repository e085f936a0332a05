#!/usr/bin/env bash
# plorvent_medfilt2 through GNU Octave on an N-by-N image (default 2000), beside Octave's image
# package medfilt2 and OpenCV's medianBlur through Python (one thread), and one pass over the
# image that memory alone bounds (bench/memory_floor.cpp), in one run: writes the
# tables to bench/medfilt2_results.md (bench/images.sh times the engines alone). N and REPEATS (default 3, the best kept) may be set. Run it
# where nothing else runs (under `quiet` on a shared machine).
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/octave_tables.sh
ensure_packages octave-image python3-opencv
N="${N:-2000}"
octave_tables bench/medfilt2_results.md.octave "Images: 2-D medians" "" bench/medfilt2_octave.m \
  "${REPEATS:-3}"
{
  cat bench/medfilt2_results.md.octave
  echo
  /usr/bin/python3 bench/medfilt2_opencv.py "$N" "${REPEATS:-3}"
  echo
  g++ -std=c++17 -O2 -pthread bench/memory_floor.cpp -o build/linux/memory_floor
  build/linux/memory_floor "$N"
} >bench/medfilt2_results.md
rm bench/medfilt2_results.md.octave
cat bench/medfilt2_results.md
