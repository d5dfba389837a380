#!/usr/bin/env bash
# Runs a command on a virtual X display of its own: Xvfb picks a free display number itself
# (-displayfd), so servers started side by side, by tests or by anyone else, never share one.
# usage: on-own-display.sh [-screen WxHxD] COMMAND [ARG]...
set -euo pipefail
screen=1280x800x24
if [ "${1:-}" = "-screen" ]; then
  screen=$2
  shift 2
fi
fifo_dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$fifo_dir/display" 2>/dev/null & xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$fifo_dir"' EXIT
for _ in $(seq 100); do
  [ -s "$fifo_dir/display" ] && break
  sleep 0.1
done
[ -s "$fifo_dir/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=:$(cat "$fifo_dir/display") "$@"
