#!/usr/bin/env bash
# Takes the README's picture: the built clock on the sample timetable under Xvfb, in Tokyo
# time, with one departure picked by a double-click. Usage: screenshot.sh <Velkan42> <out.png>
set -euo pipefail
if [ "${1:-}" = "--inside" ]; then
  cd "$2"
  TZ=Asia/Tokyo ./Velkan42 & clock=$!
  trap 'kill $clock 2>/dev/null || true' EXIT
  for _ in $(seq 100); do
    id=$(xdotool search --name '^ベルカン 42$' 2>/dev/null | head -1) && [ -n "$id" ] && break
    sleep 0.1
  done
  sleep 1
  # The grid's cells are 22 x 16 pixels at 96 DPI and the sample's rows start at 6 o'clock:
  # pick the second departure of the next hour's row.
  menu=$(xwininfo -id "$id" | awk '/Height/ {print $2 - 388}')
  row=$(( $(TZ=Asia/Tokyo date +%-H) - 6 + 1 ))
  xdotool mousemove --window "$id" 55 $((menu + 23 + row * 16 + 8)) click --repeat 2 --delay 80 1
  sleep 1.5
  import -window "$id" "$3"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 700 "$work"
cp "$1" "$work/Velkan42"
cp "$(dirname "$0")/../../examples/velkan42.dat" "$work/"
export XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96" "$0" --inside "$work" "$(realpath "$2")"
