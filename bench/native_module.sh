#!/usr/bin/env bash
# Time and peak memory of plorvent_movmedian and plorvent_hampel at n = 10^7 doubles, windows of
# 3 and 101 samples, with each of two builds of the Octave modules side by side in one run (e.g.
# plorvent_filter as a MEX module and as a native one). Each call runs in its own octave-cli
# process under /usr/bin/time, three times; a baseline process per case does everything but the
# call, and the call's own memory is the difference of the maximum resident set sizes.
# Usage: native_module.sh BEFORE_MODULE_DIR AFTER_MODULE_DIR   (N may be set in the environment)
set -euo pipefail
cd "$(dirname "$0")/.."
before=$1
after=$2
n=${N:-10000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs one process; prints "<max RSS KiB> <call seconds>".
run() {
  local seconds
  seconds=$(/usr/bin/time -f '%M' -o "$work/rss" octave-cli --no-gui --norc --quiet --no-history \
    --no-window-system bench/memory_case.m "$1" "$2" "$3" "$n" "$4" 1048576 none)
  echo "$(cat "$work/rss") ${seconds:-0}"
}

echo "| call | w | build | baseline (MiB) | with the call (MiB) | extra (MiB) | extra / signal | seconds (median of 3) |"
echo "| --- | ---: | --- | ---: | ---: | ---: | ---: | ---: |"
for case in movmedian hampel hampel_all; do
  read -r base _ < <(run "$after" "$case" baseline 3)
  for w in 3 101; do
    for build in before after; do
      dir=$before
      [ "$build" = after ] && dir=$after
      rows=$(for _ in 1 2 3; do run "$dir" "$case" call "$w"; done)
      # Sorted by time: the second row holds the median.
      echo "$rows" | sort -k2,2g | awk -v c="$case" -v w="$w" -v b="$build" -v base="$base" -v n="$n" '
        { if ($1 > peak) peak = $1; if (NR == 2) median = $2 }
        END {
          extra = (peak - base) / 1024
          printf "| %s | %d | %s | %.0f | %.0f | %.0f | %.2f | %.3f |\n", c, w, b, base / 1024,
                 peak / 1024, extra, extra / (n * 8 / 1048576), median
        }'
    done
  done
done
