#!/usr/bin/env bash
# Runs a command on a virtual X display of its own: Xvfb picks a free display number itself
# (-displayfd), so servers started side by side, by tests or by anyone else, never share one.
# A server that named its display but takes no client (seen now and then on :0 when another
# server had just ended) is replaced by a fresh one, up to three times.
# usage: on-own-display.sh [-screen WxHxD] COMMAND [ARG]...
set -euo pipefail
screen=1280x800x24
if [ "${1:-}" = "-screen" ]; then
  screen=$2
  shift 2
fi
fifo_dir=$(mktemp -d)
xvfb=
stop_server() {
  [ -n "$xvfb" ] && { kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null || true; }
  xvfb=
}
trap 'stop_server; rm -rf "$fifo_dir"' EXIT

display=
for _attempt in 1 2 3; do
  : >"$fifo_dir/display"
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$fifo_dir/display" 2>/dev/null & xvfb=$!
  for _ in $(seq 100); do
    [ -s "$fifo_dir/display" ] && break
    sleep 0.1
  done
  if [ -s "$fifo_dir/display" ]; then
    candidate=:$(head -n1 "$fifo_dir/display")
    for _ in $(seq 50); do
      if DISPLAY=$candidate xdpyinfo >/dev/null 2>&1; then
        display=$candidate
        break 2
      fi
      sleep 0.1
    done
  fi
  stop_server
done
[ -n "$display" ] || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=$display "$@"
