#!/usr/bin/env bash
# Start-up of the clock beside its yardsticks, runs taken in turn in one session:
#   start to visible window and peak memory: against a bare Qt label clock (label_clock),
#   `--status` wall time: against a reader of the same two files without Qt (status_reader).
# Both windows run under one Xvfb display with a session bus and a stand-in panel tray, as on a
# desktop. Figures are medians of the runs; each ratio is the median of the ratios of runs taken
# one right after the other, so the machine speeding up or slowing down meanwhile does not move
# it. Usage: startup.sh <build dir> [runs]
set -euo pipefail

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
now_us() { echo "${EPOCHREALTIME/./}"; }

if [ "${1:-}" = "--inside" ]; then
  build=$2 runs=$3 work=$4
  cd "$work"
  exec 3< <("$build/bin/app_tick_bench" trayhost 3600)
  read -r _ <&3  # the tray is there before the clock looks for it
  # Every window mapped on the display, stamped as the event arrives.
  stdbuf -oL xev -root -event substructure 2>/dev/null |
    while IFS= read -r line; do
      [[ $line == MapNotify* ]] && echo "$(now_us)"
    done >maps.txt &
  sleep 0.5
  # One start of "$@": microseconds to its first window and its peak resident kilobytes.
  start() {
    local before after t0 shown
    before=$(wc -l <maps.txt)
    t0=$(now_us)
    /usr/bin/time -f %M -o peak.txt "$@" >/dev/null 2>&1 &
    local pid=$!
    for _ in $(seq 1000); do
      after=$(wc -l <maps.txt)
      [ "$after" -gt "$before" ] && break
      sleep 0.01
    done
    shown=$(sed -n "$((before + 1))p" maps.txt)
    sleep 2  # what the program defers until after its window shows is in its peak too
    pkill -TERM -P "$pid" 2>/dev/null || true
    wait "$pid" || true
    echo "$((shown - t0)) $(tail -1 peak.txt)"
  }
  for i in $(seq "$runs"); do
    start ./Velkan42 >>clock.txt
    start "$build/bin/label_clock" >>label.txt
  done
  exit 0
fi

build=$(realpath "$1") runs=${2:-7}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 700 "$work"
# The clock next to its files, so it reads them and not the user's.
cp "$build/bin/Velkan42" "$(dirname "$0")/../../examples/velkan42.dat" "$work/"
export XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96" dbus-run-session -- \
  "$0" --inside "$build" "$runs" "$work"

# --status needs no display; both read the files of the same folder.
(
  cd "$work"
  unset DISPLAY
  for i in $(seq $((runs * 3))); do
    t0=$(now_us); ./Velkan42 --status >/dev/null; t1=$(now_us)
    "$build/bin/status_reader" >/dev/null; t2=$(now_us)
    echo "$((t1 - t0)) $((t2 - t1))"
  done >status.txt
)

col() { awk -v c="$2" '{print $c}' "$work/$1" | median; }
# The median over runs of column a of file1 divided by column b of file2, run by run.
ratio() { paste -d ' ' "$work/$1" "$work/$2" | awk -v a="$3" -v b="$4" '{print $a / $b}' | median; }
row() { # title, unit, divisor, clock's figure, yardstick's figure, ratio
  awk -v t="$1" -v u="$2" -v d="$3" -v a="$4" -v b="$5" -v r="$6" \
    'BEGIN {printf "%-22s %9.1f %s %9.1f %s %7.2f\n", t, a / d, u, b / d, u, r}'
}
libs() { ldd "$1" | wc -l; }
printf '%-22s %12s %12s %7s\n' "median of $runs" "Velkan42" "yardstick" "ratio"
row "start to window" ms 1000 "$(col clock.txt 1)" "$(col label.txt 1)" "$(ratio clock.txt label.txt 1 3)"
row "peak memory" MB 1024 "$(col clock.txt 2)" "$(col label.txt 2)" "$(ratio clock.txt label.txt 2 4)"
row "--status wall time" ms 1000 "$(col status.txt 1)" "$(col status.txt 2)" "$(ratio status.txt status.txt 1 4)"
printf '%-22s %12s %12s\n' "linked libraries" "$(libs "$build/bin/Velkan42")" "$(libs "$build/bin/label_clock")"
echo "yardsticks: label_clock for the window and memory, status_reader for --status"
