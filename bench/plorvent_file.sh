#!/usr/bin/env bash
# plorvent_file (not part of the tests). First 'Workers', 2 against one process: a file of
# N = 10^8 random doubles (800 MB under $TMPDIR) filtered with W = 101, each call in its own
# octave-cli process, the cases alternating over ROUNDS rounds; the time of a call is taken
# inside the process (tic/toc around the call), its peak memory by /usr/bin/time: the largest
# resident set of the process and of the worker processes it waited for. An idle session with
# the parallel package loaded gives the baseline. Then a file of 10^6 samples, clean and with 1%
# NaN, for several W. Writes bench/plorvent_file_results.md (or the file given as the first
# argument). N, W and ROUNDS may be set in the environment.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages cmake make g++ libgtest-dev octave octave-dev octave-parallel time

cmake --preset linux >/dev/null
cmake --build --preset linux --target plorvent_octave_module >/dev/null

n=${N:-100000000}
w=${W:-101}
rounds=${ROUNDS:-3}
out=${1:-bench/plorvent_file_results.md}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
octave_args=(--no-gui --norc --quiet --no-history --no-window-system)

octave-cli "${octave_args[@]}" bench/memory_case.m build/linux/octave write_file call "$n" "$w" \
  1000000 "$work/in.bin" >/dev/null

# Runs one case; prints "seconds peak_kib".
run_case() {
  local seconds
  seconds=$(/usr/bin/time -f '%M' -o "$work/rss" octave-cli "${octave_args[@]}" \
    bench/plorvent_file_workers.m build/linux/octave "$work/in.bin" "$work/out.bin" "$w" "$1")
  echo "${seconds:-0} $(cat "$work/rss")"
}

baseline=$(run_case 0 | awk '{ print $2 }')
best1=""; best2=""; peak1=0; peak2=0
for _ in $(seq "$rounds"); do
  for workers in 1 2; do
    read -r seconds peak < <(run_case "$workers")
    cmp -s "$work/out.bin" "$work/first.bin" 2>/dev/null || [ ! -e "$work/first.bin" ] ||
      { echo "outputs differ between runs" >&2; exit 1; }
    [ -e "$work/first.bin" ] || cp "$work/out.bin" "$work/first.bin"
    if [ "$workers" = 1 ]; then
      best1=$(awk -v a="$best1" -v b="$seconds" 'BEGIN { print (a == "" || b < a) ? b : a }')
      peak1=$((peak > peak1 ? peak : peak1))
    else
      best2=$(awk -v a="$best2" -v b="$seconds" 'BEGIN { print (a == "" || b < a) ? b : a }')
      peak2=$((peak > peak2 ? peak : peak2))
    fi
  done
done

{
  echo "# plorvent_file on several workers"
  echo
  echo "Measured by \`bash bench/plorvent_file.sh\` on $(date -u '+%Y-%m-%d %H:%M') UTC, $(nproc) cores,"
  echo "GNU Octave $(octave-cli --version | head -1 | awk '{ print $4 }'), package parallel:"
  echo "a file of n = $n random doubles, W = $w, default BlockSize; best of $rounds calls each,"
  echo "the cases alternating; every call's output the same bytes."
  echo
  echo "| case | seconds | speed-up | peak of the largest process (MiB) | above an idle session (MiB) |"
  echo "| --- | ---: | ---: | ---: | ---: |"
  awk -v t1="$best1" -v t2="$best2" -v p1="$peak1" -v p2="$peak2" -v b="$baseline" 'BEGIN {
    printf "| one process | %.2f | 1.00 | %.0f | %.0f |\n", t1, p1 / 1024, (p1 - b) / 1024
    printf "| `'"'"'Workers'"'"', 2` | %.2f | %.2f | %.0f | %.0f |\n", t2, t1 / t2, p2 / 1024, (p2 - b) / 1024
  }'
  echo
  echo "A file of 10^6 random doubles, clean and with 1% of the samples NaN (the default"
  echo "'includenan'), seconds per call, the best of 3:"
  echo
  octave-cli "${octave_args[@]}" bench/plorvent_file_nan.m build/linux/octave 1000000 3 "$work"
} >"$work/table"
cp "$work/table" "$out"
cat "$out"
