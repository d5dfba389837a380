#!/usr/bin/env bash
# Smoke test on a virtual display: the converter shows its window, and a second copy brings it
# forward and ends with 0, no message, while the first keeps running; SIGTERM ends it.
# usage: converter_smoke.sh <V42Converter> (run on a virtual display)
set -u
program=$1
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
first= second=
finish() {
  [ -n "$second" ] && kill "$second" 2>/dev/null
  [ -n "$first" ] && kill "$first" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT

# Waits up to ten seconds for a window of that title.
wait_for_window() {
  for _ in $(seq 50); do
    xwininfo -root -tree | grep -qF "\"$1\"" && return 0
    sleep 0.2
  done
  echo "no window \"$1\"" >&2
  return 1
}

cd "$work"
"$program" & first=$!
wait_for_window "ベルカン42コンバータ" || exit 1
timeout 15 "$program" || { echo "the second copy did not end with 0" >&2; exit 1; }
if xwininfo -root -tree | grep -qF '"2重起動ｴﾗｰ"'; then echo "a refusal box opened" >&2; exit 1; fi
kill -0 "$first" || { echo "the first copy ended" >&2; exit 1; }
"$(dirname "$0")/../../scripts/ends-on-sigterm.sh" "$first" || exit 1
echo "window shown, second copy handed over, SIGTERM ends it"
