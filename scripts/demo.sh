#!/usr/bin/env bash
# The main job: builds the core and runs the typical call over it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages cmake make g++ libgtest-dev

cmake --preset linux >/dev/null
cmake --build --preset linux --target plorvent_example
build/linux/plorvent_example
