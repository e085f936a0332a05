#!/usr/bin/env bash
# Builds and runs bench/lockstep_experiment.cpp: the block engine against the same engine with its
# outputs cut into S stretches slid in lockstep, in ns an output on n uniform doubles, as a
# markdown table. Arguments: the windows (default 101,1001,10001) and n (default 10^6). Run it
# under `quiet` (or `flock /tmp/bench.lock`).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mapfile -t sources < <(ls core/*/*.cpp | grep -v '^core/engines/block_sort_medians.cpp$')
g++ -O2 -std=c++17 -I. bench/lockstep_experiment.cpp "${sources[@]}" -o "$out/lockstep" -lpthread
"$out/lockstep" "${1:-101,1001,10001}" "${2:-1000000}"
