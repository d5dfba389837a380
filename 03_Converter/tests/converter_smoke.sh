#!/usr/bin/env bash
# Smoke test on a virtual display: the converter shows its window, and a second copy is
# refused with its message while the first keeps running; SIGTERM ends both.
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
"$program" & second=$!
wait_for_window "2重起動ｴﾗｰ" || exit 1
kill -0 "$first" || { echo "the first copy ended" >&2; exit 1; }
"$(dirname "$0")/../../scripts/ends-on-sigterm.sh" "$first" "$second" || exit 1
echo "window shown, second copy refused, SIGTERM ends both"
