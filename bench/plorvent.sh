#!/usr/bin/env bash
# plorvent as users call it, through GNU Octave (not part of the tests): against plorvent_core
# with zero extensions and the signal package's medfilt1 on n random doubles, clean and with 1%
# NaN, on one thread; and on 10*n samples with one and two threads. Writes the tables to
# bench/plorvent_results.md, which the host benchmark's report (bench/run.sh) carries too.
# N (default 1000000) and REPEATS (default 5, the best of them is kept) may be set.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages cmake make g++ libgtest-dev octave octave-dev octave-signal
cmake --preset linux >/dev/null
cmake --build --preset linux --target plorvent_octave_module >/dev/null

results=bench/plorvent_results.md
{
  echo "# plorvent through GNU Octave"
  echo
  echo "- machine: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
       "$(nproc) cores; $(date -u '+%Y-%m-%d %H:%M') UTC"
  echo "- seconds per call, the best of ${REPEATS:-5}; plorvent with 'Threads', 1 unless said"
  echo
  octave-cli --no-gui --norc --quiet --no-history --no-window-system bench/plorvent_octave.m \
    build/linux/octave "${N:-1000000}" "${REPEATS:-5}"
} | tee "$results.partial"
mv "$results.partial" "$results"
