#!/usr/bin/env bash
# The main job: builds plorvent_core.mex with the toolbox beside it, then filters a noisy sine
# with spikes by plorvent in GNU Octave, prints the errors and draws demo.png.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages cmake make g++ libgtest-dev octave octave-dev gnuplot-nox

cmake --preset linux >/dev/null
cmake --build --preset linux --target plorvent_octave_module
octave-cli --no-gui --norc --quiet --no-history --no-window-system examples/plorvent_demo.m \
  build/linux/octave demo.png
