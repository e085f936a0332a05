#!/usr/bin/env bash
# A Ctrl-C (SIGINT) during a long moving MAD, quantile, Hampel filter or outlier search on the
# alternating 0/1 signal, whose median jumps between its two values at every window, or a long
# image filter on it as a one-column image: each call ends within 1 s of the signal with its
# function's :interrupted error, and Octave goes on.
# Usage: interrupt_robust_statistics.sh OCTAVE_CLI MODULE_DIR
set -euo pipefail
octave=$1
modules=$2
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for call in "plorvent_movmad(x, 100001)" \
            "plorvent_movquantile(x, 0.9, 100001)" \
            "plorvent_hampel(x, 50000)" \
            "plorvent_isoutlier(x, 'movmedian', 100001)" \
            "plorvent_medfilt2(x, [1001 1])" \
            "plorvent_ordfilt2(x, 7, true(99, 1), (1:99)')"; do
  # Emptied here, not by the child's redirection, which may come after the wait below has read
  # the last call's "started" and so sent the Ctrl-C to an Octave still starting.
  : >"$log"
  "$octave" --no-gui --norc --quiet --no-history --no-window-system --eval "
    addpath('$modules');
    x = double(mod((1:2e7)', 2));
    printf('started\n');
    fflush(stdout);
    try
      y = $call;
      printf('no error\n');
    catch err
      printf('%s at %.3f\n', err.identifier, time());
    end
    printf('Octave goes on\n');" >"$log" 2>&1 &
  child=$!
  until grep -q started "$log"; do
    kill -0 "$child" 2>/dev/null || break
    sleep 0.05
  done
  sleep 0.25
  kill -INT "$child"
  signalled=$(date +%s.%N)
  for _ in $(seq 1 100); do
    kill -0 "$child" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$child" 2>/dev/null; then
    kill -KILL "$child"
    echo "$call: still running 10 s after Ctrl-C"
    exit 1
  fi
  wait "$child" || true
  cat "$log"
  stopped=$(sed -n 's/^.*:interrupted at \([0-9.]*\)$/\1/p' "$log")
  if [ -z "$stopped" ] || ! grep -q 'Octave goes on' "$log"; then
    echo "$call: not interrupted as it should be"
    exit 1
  fi
  awk -v a="$signalled" -v b="$stopped" -v call="$call" 'BEGIN {
    printf "%s: stopped %.3f s after Ctrl-C\n", call, b - a
    exit !(b - a <= 1.0)
  }'
done
