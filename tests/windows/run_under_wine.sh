#!/usr/bin/env bash
# Runs a Windows console program under Wine: headless, with no input, in its own prefix (made on
# first use), and waits for that prefix's wineserver to end so that nothing outlives the run.
# Usage: run_under_wine.sh WINE64 PREFIX PROGRAM [ARGUMENTS...]
set -euo pipefail
wine=$1
export WINEPREFIX=$2
shift 2
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no offer to install Mono or Gecko into the prefix
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"

status=0
"$wine" "$@" </dev/null || status=$?
"$(dirname "$wine")/wineserver" -w
exit "$status"
