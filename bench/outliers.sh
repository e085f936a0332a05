#!/usr/bin/env bash
# plorvent_hampel and plorvent_isoutlier (one output and all of them) against plorvent_movmedian
# with the same windows, through GNU Octave (not part of the tests): n random doubles, windows of
# 3 to 10001 samples, on 1 and on 2 threads. Writes the tables to bench/outliers_results.md. N
# (default 1000000) and REPEATS (default 3, the best of them is kept) may be set. Run it under
# `quiet` (or `flock /tmp/bench.lock`).
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/octave_tables.sh
for threads in 1 2; do
  OMP_NUM_THREADS=$threads octave_tables "bench/outliers_results.$threads.tmp" \
    "Outliers by a moving median through GNU Octave, $threads thread(s)" "" \
    bench/outliers_octave.m "${REPEATS:-3}"
done
cat bench/outliers_results.1.tmp bench/outliers_results.2.tmp > bench/outliers_results.md
rm -f bench/outliers_results.1.tmp bench/outliers_results.2.tmp
