#!/usr/bin/env bash
# The work memory the help states, held under a limit on address space: each case runs once to
# measure the address space its inputs take, and once more under `ulimit -v` set to that and the
# bytes the help allows the call (with 128 MiB for Octave's own), where the call must succeed.
# Then every public function's statement of its peak at 10^7 samples (memory_peak.m).
# Usage: memory_bounds.sh OCTAVE_CLI MODULE_DIR
set -euo pipefail
octave=$1
modules=$2
script=$(dirname "$0")/memory_case.m
failed=0
for case in '4000000 int8 window longer than the signal' \
            '4000000 double window longer than the signal' \
            '20000000 int8 shrinking windows' '4000000 double sample points'; do
  read -r n name <<<"$case"
  read -r peak size work < <("$octave" --no-gui --norc --quiet --no-history --no-window-system \
    "$script" "$modules" "$name" prepare "$n")
  limit=$(( (peak > size + work ? peak : size + work) + 131072 ))
  if outcome=$(ulimit -v "$limit" && "$octave" --no-gui --norc --quiet --no-history \
                 --no-window-system "$script" "$modules" "$name" call "$n" 2>&1) &&
     [ "$outcome" = ok ]; then
    echo "$name: ok within $((limit / 1024)) MiB ($((work / 1024)) MiB for the call)"
  else
    echo "$name: failed within $((limit / 1024)) MiB: $outcome"
    failed=1
  fi
done
for case in plorvent_core plorvent plorvent_filter plorvent_movmedian plorvent_medfilt1 \
            plorvent_movmad plorvent_movquantile plorvent_movprctile plorvent_hampel \
            'plorvent_hampel all outputs' plorvent_isoutlier 'plorvent_isoutlier all outputs' \
            plorvent_filloutliers 'plorvent_filloutliers all outputs' \
            'plorvent_filloutliers linear' 'plorvent_filloutliers previous' plorvent_file \
            plorvent_medfilt2 'plorvent_medfilt2 15x15' 'plorvent_medfilt2 even' plorvent_ordfilt2; do
  outcome=$("$octave" --no-gui --norc --quiet --no-history --no-window-system \
              "$(dirname "$0")/memory_peak.m" "$modules" "$case" 2>&1 | tail -n 1)
  echo "$case: peak $outcome"
  [ "$outcome" = ok ] || failed=1
done
exit $failed
