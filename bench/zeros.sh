#!/usr/bin/env bash
# Signals holding zeros of both signs against the same signals without -0, through GNU Octave
# (not part of the tests): plorvent by default and with 'omitnan', w from 3 to n+1. Writes the
# table to bench/zeros_results.md. N (default 1000000) and REPEATS (default 3) may be set.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/octave_tables.sh
octave_tables bench/zeros_results.md "Zeros of both signs through GNU Octave" \
  "; plorvent with 'Threads', 1" bench/zeros_octave.m "${REPEATS:-3}"
