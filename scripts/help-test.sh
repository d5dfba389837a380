#!/usr/bin/env bash
# Every program's --help and --version as over SSH: no display, no Qt platform, exit 0, and the
# help names where the files are kept. Benchmarks given after "--" only need to answer --help.
# usage: help-test.sh PROGRAM... [-- BENCHMARK...]
set -uo pipefail
fail=0
bare() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR "$@"; }
check() {  # what, exit code, output, expected text
  if [ "$2" != 0 ] || [[ "$3" != *"$4"* ]]; then
    echo "FAIL: $1 (exit $2): expected \"$4\" in:"
    echo "$3"
    fail=1
  fi
}
benches=0
for program in "$@"; do
  if [ "$program" = -- ]; then benches=1; continue; fi
  name=$(basename "$program")
  out=$(bare "$program" --help 2>&1); code=$?
  if [ $benches = 1 ]; then
    check "$name --help" "$code" "$out" "$name"
    continue
  fi
  check "$name --help" "$code" "$out" "使い方: $name"
  check "$name --help" "$code" "$out" "プログラムと同じフォルダ"
  check "$name --help" "$code" "$out" "~/.local/share/velkan42"
  out=$(bare "$program" --version 2>&1); code=$?
  check "$name --version" "$code" "$out" "$name "
done
exit $fail
