#!/usr/bin/env bash
# Builds and runs bench/counted_lockstep_experiment.cpp: the counted engine's median of whole
# windows, one segment at a time against S segments slid in lockstep, in ns an output, as a
# markdown table. Arguments: the windows (default 101,1001), n (default 10^6) and the outputs a
# segment serves (default the engine's). Run it under
# `quiet` (or `flock /tmp/bench.lock`).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
g++ -O2 -std=c++17 -I. bench/counted_lockstep_experiment.cpp core/counted/*.cpp core/support/*.cpp \
  core/selection/*.cpp core/engines/*.cpp -o "$out/counted_lockstep" -lpthread
"$out/counted_lockstep" "${1:-101,1001}" "${2:-1000000}" "${3:-0}"
