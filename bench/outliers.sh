#!/usr/bin/env bash
# plorvent_hampel and plorvent_isoutlier against plorvent_movmedian with the same windows,
# through GNU Octave (not part of the tests): n random doubles, windows of 3 to 10001 samples.
# Writes the table to bench/outliers_results.md. N (default 1000000) and REPEATS (default 3,
# the best of them is kept) may be set. Run it under `flock /tmp/bench.lock`.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/octave_tables.sh
octave_tables bench/outliers_results.md "Outliers by a moving median through GNU Octave" \
  "" bench/outliers_octave.m "${REPEATS:-3}"
