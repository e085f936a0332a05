#!/usr/bin/env bash
# The benchmark (not part of the tests): installs what is missing, builds plorvent_core.mex and,
# for the benchmark only, plorvent_core_reference.mex on the per-window path, then times both
# from GNU Octave against the running medians of Octave's signal package, SciPy, Bottleneck and
# pandas. Arguments go to bench/run_bench.py; --quick is a short smoke test.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages cmake make g++ libgtest-dev octave octave-dev octave-signal \
  python3-numpy python3-scipy python3-bottleneck python3-pandas python3-matplotlib

cmake --preset linux >/dev/null
cmake --build --preset linux --target plorvent_octave_module

# Built with the same flags as the real module; mkoctfile keeps its objects out of the tree.
mkdir -p build/bench
CXXFLAGS="$(mkoctfile -p CXXFLAGS) -Wall -Wextra" mkoctfile --mex -I. \
  bench/reference_gateway.cpp core/*/*.cpp -o build/bench/plorvent_core_reference.mex

/usr/bin/python3 bench/run_bench.py --module-dir build/linux/octave \
  --reference-dir build/bench "$@"
