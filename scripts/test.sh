#!/usr/bin/env bash
# Runs every test from a fresh checkout: installs what is missing, then builds and tests a plain
# build (unit tests, stand-in host, valgrind, the module in GNU Octave, the kernels compiled as
# MSVC sees them), a build with AddressSanitizer and UndefinedBehaviorSanitizer, the fuzzers for
# a bounded time, a clang build (unit tests, the Octave modules), an aarch64 build whose core
# unit tests run the NEON kernels under qemu-user, and the Windows module (cross-built, run under
# Wine; it compares its results with the plain build's, so it comes after it).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
# default-jre-headless: Java for the tests of plorvent_file's MATLAB branch, which asks Java
# whether two names are one file. gnuplot-nox: a graphics toolkit for the package's demo.
# octave-parallel: the engine of plorvent_file's workers and of the cluster example.
# octave-signal: its medfilt1 is the reference plorvent_medfilt1 is tested against; octave-image
# likewise medfilt2 and ordfilt2 for plorvent_medfilt2 and plorvent_ordfilt2.
# clang-format: the check that every C and C++ source is laid out as .clang-format says.
ensure_packages cmake make g++ libgtest-dev octave octave-dev octave-image octave-parallel octave-signal \
  default-jre-headless gnuplot-nox valgrind clang clang-format llvm libclang-rt-14-dev \
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 g++-aarch64-linux-gnu qemu-user googletest

for preset in linux asan fuzz clang aarch64 win64; do
  echo "=== $preset ==="
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
