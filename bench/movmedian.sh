#!/usr/bin/env bash
# plorvent_movmedian and plorvent_medfilt1 through GNU Octave (not part of the tests): against
# Octave's movmedian and the signal package's medfilt1 on n random doubles, clean and with 1%
# NaN; and the moving mode's counted windows against the fixed-window engine on one thread.
# Writes the tables to bench/movmedian_results.md. N (default 1000000) and REPEATS (default 3,
# the best of them is kept) may be set. Run it under `flock /tmp/bench.lock`.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages cmake make g++ libgtest-dev octave octave-dev octave-signal
cmake --preset linux >/dev/null
cmake --build --preset linux --target plorvent_octave_module >/dev/null

results=bench/movmedian_results.md
{
  echo "# Moving medians through GNU Octave"
  echo
  echo "- machine: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
       "$(nproc) cores; $(date -u '+%Y-%m-%d %H:%M') UTC"
  echo "- seconds per call, the best of ${REPEATS:-3} (Octave's movmedian: one call)"
  echo
  octave-cli --no-gui --norc --quiet --no-history --no-window-system bench/movmedian_octave.m \
    build/linux/octave "${N:-1000000}" "${REPEATS:-3}"
} | tee "$results.partial"
mv "$results.partial" "$results"
