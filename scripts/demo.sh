#!/usr/bin/env bash
# The main job: builds plorvent_core.mex and calls it from GNU Octave on a sine with spikes.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages cmake make g++ libgtest-dev octave octave-dev

cmake --preset linux >/dev/null
cmake --build --preset linux --target plorvent_octave_module
octave-cli --no-gui --norc --quiet --no-history --no-window-system examples/spike_demo.m build/linux/octave
