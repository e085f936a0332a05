#!/usr/bin/env bash
# The engine-only benchmark: builds bench/engine_bench.cpp against this tree's core and against
# the core of an earlier commit (default: the merge base with main), then runs both, beside
# bottleneck.move_median in /usr/bin/python3, in alternating rounds on this machine, and prints
# markdown tables of ns per sample with ratios and their spread over the rounds, also written to
# bench/engine_results.md (signals of --samples N other than 10^6: bench/engine_results_nN.md;
# with --quick, to build/bench/engine/). One table limits the vectors to each width the
# processor has in turn (plain, SSE2, AVX2, AVX-512), so that a regression in any kernel shows on
# a machine that would run a wider one. With --moving it times the moving MAD and quantile
# instead, into bench/engine_moving_results.md.
# Usage: bash bench/engine.sh [--base REV] [--rounds N] [--quick] [--moving] [--samples N]
#        [--widths W,W,...]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages g++ python3-numpy python3-bottleneck python3-matplotlib
base=$(git merge-base HEAD main 2>/dev/null || git rev-parse HEAD)
args=()
folder=bench
name=engine_results.md
while [ $# -gt 0 ]; do
  case "$1" in
    --base) base=$2; shift 2 ;;
    --quick) folder=build/bench/engine; args+=("$1"); shift ;;
    --moving) name=engine_moving_results.md; args+=("$1"); shift ;;
    --samples) samples=$2; args+=("$1" "$2"); shift 2 ;;
    *) args+=("$1"); shift ;;
  esac
done
[ -n "${samples:-}" ] && name=${name%.md}_n$samples.md
results=$folder/$name
out=build/bench/engine
mkdir -p "$out/base"
rm -rf "$out/base/core"
git archive "$base" core | tar -x -C "$out/base"
flags=(-std=c++17 -O2 -g -Wall -Wextra)
g++ "${flags[@]}" -I. bench/engine_bench.cpp core/*/*.cpp -o "$out/engine_bench"
g++ "${flags[@]}" -I"$out/base" bench/engine_bench.cpp $(find "$out/base/core" -name '*.cpp') \
  -o "$out/engine_bench_base"
/usr/bin/python3 bench/engine_report.py --ours "$out/engine_bench" \
  --base "$out/engine_bench_base" --base-name "$(git rev-parse --short "$base")" "${args[@]}" |
  tee "$results.partial"
mv "$results.partial" "$results"
