#!/usr/bin/env bash
# plorvent as users call it, through GNU Octave (not part of the tests): against plorvent_core
# with zero extensions and the signal package's medfilt1 on n random doubles, clean and with 1%
# NaN, on one thread; and on 10*n samples with one and two threads. Writes the tables to
# bench/plorvent_results.md, which the host benchmark's report (bench/run.sh) carries too.
# N (default 1000000) and REPEATS (default 5, the best of them is kept) may be set.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/octave_tables.sh
octave_tables bench/plorvent_results.md "plorvent through GNU Octave" \
  "; plorvent with 'Threads', 1 unless said" bench/plorvent_octave.m "${REPEATS:-5}"
