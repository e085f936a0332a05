# Sourced by the benchmarks that time functions through GNU Octave: installs what they need,
# builds the modules, and runs an Octave script that prints markdown tables into a results file
# under a heading with the machine and the date.
source scripts/ensure_packages.sh
ensure_packages cmake make g++ libgtest-dev octave octave-dev octave-signal
cmake --preset linux >/dev/null
cmake --build --preset linux --target plorvent_octave_module >/dev/null

# octave_tables RESULTS TITLE NOTE SCRIPT REPEATS: SCRIPT run with the modules' folder, N
# (default 1000000) and REPEATS; written to RESULTS only once it has finished.
octave_tables() {
  local results=$1 title=$2 note=$3 script=$4 repeats=$5
  {
    echo "# $title"
    echo
    echo "- machine: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
         "$(nproc) cores; $(date -u '+%Y-%m-%d %H:%M') UTC"
    echo "- seconds per call, the best of $repeats$note"
    echo
    octave-cli --no-gui --norc --quiet --no-history --no-window-system "$script" \
      build/linux/octave "${N:-1000000}" "$repeats"
  } | tee "$results.partial"
  mv "$results.partial" "$results"
}
