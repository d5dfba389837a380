#!/usr/bin/env bash
# Runs the clock and a minimal label program side by side for the same minute under one Xvfb
# display, then prints the clock's tick lag and the ratio of their CPU times.
# Usage: bench.sh <build dir> [seconds]
set -euo pipefail
build=$(realpath "$1") seconds=${2:-60}
if [ "${3:-}" = "--inside" ]; then
  "$build/bin/app_tick_bench" clock "$seconds" "$4" >"$4/clock.txt" &
  clock=$!
  "$build/bin/app_tick_bench" minimal "$seconds" >"$4/minimal.txt" &
  wait $clock $!
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 700 "$work"
cp "$(dirname "$0")/../../examples/velkan42.dat" "$work/"
export XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build" "$seconds" --inside "$work"
cat "$work/clock.txt" "$work/minimal.txt"
awk '/clock: cpu/ {c=$3} /minimal: cpu/ {m=$3} END {printf "cpu ratio clock/minimal: %.2f\n", c/m}' \
  "$work/clock.txt" "$work/minimal.txt"
