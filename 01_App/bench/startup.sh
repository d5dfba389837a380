#!/usr/bin/env bash
# Start-up of the clock beside its yardsticks, runs taken in turn in one session, medians shown:
#   start to visible window and peak memory: against a bare Qt label clock (label_clock),
#   `--status` wall time: against a reader of the same two files without Qt (status_reader).
# Both windows run under one Xvfb display with a session bus and a stand-in panel tray, as on a
# desktop. Usage: startup.sh <build dir> [runs]
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
c_map=$(col clock.txt 1) l_map=$(col label.txt 1)
c_peak=$(col clock.txt 2) l_peak=$(col label.txt 2)
c_stat=$(col status.txt 1) r_stat=$(col status.txt 2)
libs() { ldd "$1" | wc -l; }
printf '%-22s %12s %12s %7s\n' "median of $runs" "Velkan42" "yardstick" "ratio"
awk -v a="$c_map" -v b="$l_map" 'BEGIN {printf "%-22s %9.1f ms %9.1f ms %7.2f\n", "start to window", a / 1000, b / 1000, a / b}'
awk -v a="$c_peak" -v b="$l_peak" 'BEGIN {printf "%-22s %9.1f MB %9.1f MB %7.2f\n", "peak memory", a / 1024, b / 1024, a / b}'
awk -v a="$c_stat" -v b="$r_stat" 'BEGIN {printf "%-22s %9.1f ms %9.1f ms %7.2f\n", "--status wall time", a / 1000, b / 1000, a / b}'
printf '%-22s %12s %12s %7s\n' "linked libraries" "$(libs "$build/bin/Velkan42")" \
  "$(libs "$build/bin/label_clock")" ""
echo "yardsticks: label_clock for the window and memory, status_reader for --status"
