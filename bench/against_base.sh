#!/usr/bin/env bash
# One of the Octave benchmarks, for this tree and for an earlier commit side by side (not part
# of the tests): builds the earlier commit's modules and toolbox into build/bench/base, then runs
# the benchmark's Octave script for each in turn, ROUNDS times (default 3) alternating, so that
# what is compared was measured together. Prints each run's table under a heading.
# Usage: bash bench/against_base.sh SCRIPT.m BASE_REV   (N and REPEATS as for the script)
set -euo pipefail
cd "$(dirname "$0")/.."
script=$1
base=$2
source bench/octave_tables.sh
out=build/bench/base
rm -rf "$out"
mkdir -p "$out/tree" "$out/octave"
git archive "$base" | tar -x -C "$out/tree"
# The earlier commit's own build script builds its modules as a user's build would, run from its
# own folder: Octave finds a script in the current folder before any on the path.
modules=$(realpath "$out/octave")
(cd "$out/tree" && octave-cli --no-gui --norc --quiet --no-history --no-window-system \
  --eval "build_plorvent('$modules');" >/dev/null)
cp "$out"/tree/toolbox/*.m "$out/octave/"
rm -f "$out/octave/plorvent_core.m" "$out/octave/plorvent_filter.m"
cp -r "$out/tree/toolbox/private" "$out/octave/"
for round in $(seq 1 "${ROUNDS:-3}"); do
  for tree in "$base:$out/octave" "this tree:build/linux/octave"; do
    echo "## ${tree%%:*}, round $round"
    echo
    octave-cli --no-gui --norc --quiet --no-history --no-window-system "$script" \
      "${tree#*:}" "${N:-1000000}" "${REPEATS:-5}"
    echo
  done
done
