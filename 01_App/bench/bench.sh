#!/usr/bin/env bash
# Runs the clock and a minimal label program side by side for the same minute under one Xvfb
# display, then prints the clock's tick lag and the ratio of their CPU times. A stand-in
# panel on a private session bus gives the clock a tray, so its icon is on and fetched.
# Usage: bench.sh <build dir> [seconds]
set -euo pipefail
build=$(realpath "$1") seconds=${2:-60}
if [ "${3:-}" = "--inside" ]; then
  exec 3< <("$build/bin/app_tick_bench" trayhost "$seconds")
  read -r _ <&3  # the tray is there before the clock looks for it
  "$build/bin/app_tick_bench" clock "$seconds" "$4" >"$4/clock.txt" &
  clock=$!
  "$build/bin/app_tick_bench" minimal "$seconds" >"$4/minimal.txt" &
  wait $clock $!
  cat <&3 >"$4/trayhost.txt"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 700 "$work"
cp "$(dirname "$0")/../../examples/velkan42.dat" "$work/"
export XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- "$0" "$build" "$seconds" --inside "$work"
cat "$work/clock.txt" "$work/minimal.txt" "$work/trayhost.txt"
awk '/clock: cpu/ {c=$3} /minimal: cpu/ {m=$3} END {printf "cpu ratio clock/minimal: %.2f\n", c/m}' \
  "$work/clock.txt" "$work/minimal.txt"
