#!/usr/bin/env bash
# Builds the Octave package plorvent-<version>.tar.gz into build/ (or the folder given as the
# first argument) and prints its path. Install it in Octave with: pkg install plorvent-<version>.tar.gz
#
# Layout: DESCRIPTION, INDEX, COPYING; inst/ with the toolbox's .m files and their private/
# helpers; src/ with the C++ sources (gateway/, core/, as the gateways include "core/..."),
# the modules' help-only .m files, FILES (what pkg copies from src/) and the Makefile that
# builds the modules.
set -euo pipefail
cd "$(dirname "$0")/.."
out_dir=$(realpath -m "${1:-build}")
version=$(sed -n 's/^Version: *//p' package/DESCRIPTION)
name=plorvent-$version

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
root=$stage/$name
mkdir -p "$root/inst/private" "$root/src/gateway"
cp package/DESCRIPTION package/INDEX "$root/"
cp LICENSE "$root/COPYING"
for file in toolbox/*.m; do
  case "$file" in
    toolbox/plorvent_core.m | toolbox/plorvent_filter.m) cp "$file" "$root/src/" ;;
    *) cp "$file" "$root/inst/" ;;
  esac
done
cp toolbox/private/*.m "$root/inst/private/"
cp package/Makefile package/FILES "$root/src/"
cp gateway/*.cpp gateway/*.h "$root/src/gateway/"
cp -r core "$root/src/core"

mkdir -p "$out_dir"
tar -czf "$out_dir/$name.tar.gz" -C "$stage" --owner=0 --group=0 --sort=name "$name"
echo "$out_dir/$name.tar.gz"
