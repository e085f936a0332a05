#!/usr/bin/env bash
# A Ctrl-C (SIGINT) during a long call of each module: the call ends within seconds with the
# error of the function called, and Octave goes on with the script. The calls would take hours:
# windows of zeros of both signs, which only the selection of each window decides, bit by bit.
# Usage: interrupt_long_call.sh OCTAVE_CLI MODULE_DIR
set -euo pipefail
octave=$1
modules=$2
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for call in "plorvent(x, 400001, 'NaN', 'raw', 'Threads', 2)" \
            "plorvent_core(x, zeros(2e5, 1), zeros(2e5, 1), 2e5)"; do
  "$octave" --no-gui --norc --quiet --no-history --no-window-system --eval "
    addpath('$modules');
    x = zeros(1e6, 1);
    x(1:2:end) = -0;
    started = tic();
    try
      y = $call;
      printf('no error\n');
    catch err
      printf('%s after %.1f s\n', err.identifier, toc(started));
    end
    printf('Octave goes on\n');" >"$log" 2>&1 &
  child=$!
  sleep 3
  kill -INT "$child"
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
  grep -q ':interrupted after' "$log" && grep -q 'Octave goes on' "$log" || {
    echo "$call: not interrupted as it should be"
    exit 1
  }
done
