#!/usr/bin/env bash
# The robust statistics on signals that move the MAD's run and the quantiles' cursors far, through
# GNU Octave (not part of the tests): plorvent_movmad, plorvent_movquantile (p = 0.9),
# plorvent_hampel and plorvent_isoutlier on the alternating 0/1 signal, alternating signs,
# alternating small and large values, random-order bimodal values and a sorted signal, each
# against its own time on uniform random values at the same k, side by side in one run. Writes
# the table to bench/worst_case_results.md. N (default 1000000) and REPEATS (default 2, the best
# of them is kept) may be set. Run it under `quiet` (or `flock /tmp/bench.lock`).
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/octave_tables.sh
octave_tables bench/worst_case_results.md "The robust statistics on adversarial signals" \
  "" bench/worst_case_octave.m "${REPEATS:-2}"
