#!/usr/bin/env bash
# Starts a cluster server of Octave's package parallel on this machine (without TLS, reachable
# as 'localhost' and as '127.0.0.1', a server process for each connection), runs cluster_ranges.m
# against it and stops it again, whatever happens. The server refuses to run as root: as root it
# runs as nobody, and the work folder is open to it. Exits 77 (skipped) when a server already
# runs here: its ports are taken.
# Run: cluster_ranges.sh OCTAVE_CLI MODULE_DIR SOURCE_DIR
set -euo pipefail
octave=$1
module_dir=$2
source_dir=$3
server=/usr/libexec/octave-pserver
[ -x "$server" ] || server=$(command -v octave-pserver)
pid_file=/tmp/.octave-$(hostname).pid
if [ -e "$pid_file" ] && kill -0 "$(cat "$pid_file")" 2>/dev/null; then
  echo "a cluster server already runs on this machine; skipped"
  exit 77
fi
work=$(mktemp -d)
chmod 777 "$work"
as_server=()
[ "$(id -u)" -ne 0 ] || as_server=(runuser -u nobody --)
stop() {
  if [ -e "$pid_file" ]; then
    pkill -TERM -P "$(cat "$pid_file")" 2>/dev/null || true
    kill "$(cat "$pid_file")" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap stop EXIT
# The server cannot bind its ports while connections of an earlier run linger in TIME_WAIT (up
# to a minute): it then exits at once, and is started again.
for _ in $(seq 45); do
  "${as_server[@]}" "$server" --octave-binary "$(command -v "$octave")" --no-auth >/dev/null
  sleep 2
  [ -e "$pid_file" ] && kill -0 "$(cat "$pid_file")" 2>/dev/null && break
done
timeout 120 "$octave" --no-gui --norc --quiet --no-history --no-window-system \
  "$source_dir/tests/octave/cluster_ranges.m" "$module_dir" "$source_dir/examples" "$work"
