#!/bin/sh
# Starts the built editor twice on the sample data on the virtual display it is given:
# the first copy shows its list window, the second brings it forward and ends with 0 without
# a message or a window of its own, and the first runs on; SIGTERM ends it.
set -u
bin=$1
sample=$2
dir=$(mktemp -d)
first=""
second=""
cleanup() {
  [ -n "$first" ] && kill "$first" 2>/dev/null
  [ -n "$second" ] && kill "$second" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
cp "$bin" "$sample" "$dir/"
export XDG_RUNTIME_DIR="$dir/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb

windows() { xwininfo -root -tree | grep -c "\"$1\": (" ; }
wait_for() {
  for _ in $(seq 1 100); do
    [ "$(windows "$1")" -ge 1 ] && return 0
    sleep 0.1
  done
  echo "no window \"$1\"" >&2
  return 1
}

"$dir/V42Editor" &
first=$!
wait_for "ベルカン42エディタ" || exit 1
timeout 15 "$dir/V42Editor" || { echo "the second copy did not end with 0" >&2; exit 1; }
[ "$(windows "2重起動ｴﾗｰ")" -eq 0 ] || { echo "a refusal box opened" >&2; exit 1; }
[ "$(windows "ベルカン42エディタ")" -eq 1 ] || { echo "a second list window opened" >&2; exit 1; }
kill -0 "$first" || { echo "the first copy ended" >&2; exit 1; }
"$(dirname "$0")/../../scripts/ends-on-sigterm.sh" "$first" || exit 1
echo "the second copy handed over; the first runs on; SIGTERM ends it"
