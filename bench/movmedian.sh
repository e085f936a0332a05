#!/usr/bin/env bash
# plorvent_movmedian and plorvent_medfilt1 through GNU Octave (not part of the tests): against
# Octave's movmedian and the signal package's medfilt1 on n random doubles, clean and with 1%
# NaN; and the moving mode's counted windows against the fixed-window engine on one thread.
# Writes the tables to bench/movmedian_results.md. N (default 1000000) and REPEATS (default 3,
# the best of them is kept) may be set. Run it under `flock /tmp/bench.lock`.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/octave_tables.sh
octave_tables bench/movmedian_results.md "Moving medians through GNU Octave" \
  " (Octave's movmedian: one call)" bench/movmedian_octave.m "${REPEATS:-3}"
