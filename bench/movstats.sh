#!/usr/bin/env bash
# plorvent_movquantile and plorvent_movmad through GNU Octave (not part of the tests): against
# plorvent_movmedian on the same n random doubles, side by side in one run, and plorvent_movmad
# against Octave's own movmad at k = 101. Writes the tables to bench/movstats_results.md. N
# (default 1000000) and REPEATS (default 3, the best of them is kept) may be set. Run it under
# `flock /tmp/bench.lock`.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/octave_tables.sh
octave_tables bench/movstats_results.md "Moving quantiles and MAD through GNU Octave" \
  " (Octave's movmad: one call)" bench/movstats_octave.m "${REPEATS:-3}"
