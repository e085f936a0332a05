#!/usr/bin/env bash
# Peak memory (not part of the tests): one plorvent_core call, plorvent on the whole signal and
# with 'BlockSize', and plorvent_file, on n = 10^8 samples with W = 11. Each case runs in its own
# octave-cli process under /usr/bin/time, once with the call and once doing everything but the
# call; the difference of their maximum resident set sizes is the call's own memory. Writes the
# table to bench/memory.md (or the file given as the first argument). Needs about 7 GB of free
# memory and 1.6 GB of disk under $TMPDIR. N, W and BLOCK may be set in the environment.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages cmake make g++ libgtest-dev octave octave-dev time

cmake --preset linux >/dev/null
cmake --build --preset linux --target plorvent_octave_module >/dev/null

n=${N:-100000000}
w=${W:-11}
block=${BLOCK:-1000000}
out=${1:-bench/memory.md}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
signal=$work/signal.bin

# Runs one process of a case; prints its maximum resident set size in KiB.
peak_kib() {
  /usr/bin/time -f '%M' -o "$work/rss" octave-cli --no-gui --norc --quiet --no-history \
    --no-window-system bench/memory_case.m build/linux/octave "$1" "$2" "$n" "$w" "$block" \
    "$signal" >/dev/null
  cat "$work/rss"
}

peak_kib write_file call >/dev/null
output_mib=$(awk -v n="$n" 'BEGIN { printf "%.0f", n * 8 / 1048576 }')

{
  echo "# Peak memory"
  echo
  echo "Measured by \`bash bench/memory.sh\` on $(date -u +%Y-%m-%d), $(nproc) cores,"
  echo "$(free -g | awk '/^Mem:/ { print $2 }') GiB of memory, GNU Octave $(octave-cli --version | head -1 | awk '{ print $4 }'):"
  echo "n = $n random doubles (the signal, and so each output, is $output_mib MiB), W = $w,"
  echo "BlockSize = $block. Each case runs in its own \`octave-cli\` process under \`/usr/bin/time\`,"
  echo "once with the call and once (baseline) doing everything but the call; the extra is the"
  echo "difference of the two maximum resident set sizes, which includes the call's result. GNU"
  echo "Octave copies a compiled module's result into an array of its own as the call returns, so"
  echo "for \`plorvent_core\` and \`plorvent\` (whose work is one module call) that result counts twice."
  echo
  echo "| case | baseline (MiB) | with the call (MiB) | extra (MiB) | extra / signal size |"
  echo "| --- | ---: | ---: | ---: | ---: |"
} >"$work/table"

for case in core plorvent plorvent_whole plorvent_blocks plorvent_file; do
  baseline=$(peak_kib "$case" baseline)
  with_call=$(peak_kib "$case" call)
  case $case in
    core) label="\`plorvent_core(x, xic, xfc, $(((w - 1) / 2)))\`" ;;
    plorvent) label="\`plorvent(x, $w)\` (blocks of 2^20 by default)" ;;
    plorvent_whole) label="\`plorvent(x, $w, 'BlockSize', $n)\` (one block)" ;;
    plorvent_blocks) label="\`plorvent(x, $w, 'BlockSize', $block)\`" ;;
    plorvent_file) label="\`plorvent_file(input, output, $w, 'BlockSize', $block)\`, $n-sample file" ;;
  esac
  awk -v label="$label" -v b="$baseline" -v c="$with_call" -v s="$output_mib" 'BEGIN {
    extra = (c - b) / 1024
    printf "| %s | %.0f | %.0f | %.0f | %.2f |\n", label, b / 1024, c / 1024, extra, extra / s
  }' >>"$work/table"
done

cp "$work/table" "$out"
cat "$out"
