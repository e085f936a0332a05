#!/usr/bin/env bash
# Runs every test from a fresh checkout: installs what is missing, then builds and tests twice,
# a plain build (unit tests, stand-in host, the module in GNU Octave) and a build with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages cmake make g++ libgtest-dev octave octave-dev

for preset in linux asan; do
  echo "=== $preset ==="
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
