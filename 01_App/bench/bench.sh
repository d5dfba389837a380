#!/usr/bin/env bash
# Runs the clock and a minimal label program side by side for the same minute under one Xvfb
# display, then prints the clock's tick lag and the ratio of their CPU times. A stand-in
# panel on a private session bus gives the clock a tray, so its icon is on and fetched.
# A second clock beside them fetches live data every 30 s from a server on 127.0.0.1 (the
# sample timetable's departures must lie within two hours for it to fetch: run it by day).
# Usage: bench.sh <build dir> [seconds]
set -euo pipefail
build=$(realpath "$1") seconds=${2:-60}
if [ "${3:-}" = "--inside" ]; then
  exec 3< <("$build/bin/app_tick_bench" trayhost "$seconds")
  read -r _ <&3  # the tray is there before the clock looks for it
  "$build/bin/app_tick_bench" clock "$seconds" "$4" >"$4/clock.txt" &
  clock=$!
  "$build/bin/app_tick_bench" clock "$seconds" "$4/live" >"$4/live.txt" &
  live=$!
  "$build/bin/app_tick_bench" minimal "$seconds" >"$4/minimal.txt" &
  wait $clock $live $!
  cat <&3 >"$4/trayhost.txt"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 700 "$work"
cp "$(dirname "$0")/../../examples/velkan42.dat" "$work/"
# The live clock's folder: the sample timetable, its realtime URL, a small feed to serve.
mkdir "$work/live" "$work/www"
cp "$work/velkan42.dat" "$work/live/"
port=$((20000 + RANDOM % 20000))
proto=$(dirname "$0")/../../04_Import/logic/realtime
printf 'header { gtfs_realtime_version: "2.0" timestamp: %s }\n%s\n' "$(date +%s)" \
  'entity { id: "1" trip_update { trip { trip_id: "t1" } stop_time_update { stop_sequence: 2 departure { delay: 120 } } } }' |
  protoc --encode=v42.rt.FeedMessage -I "$proto" transit_live.proto >"$work/www/rt.pb"
printf '{"format":1,"timetables":[{"timetable":0,"source":"/feed.zip","realtime":["http://127.0.0.1:%s/rt.pb"],"trips":[{"trip":"t1","route":"r","time":36000,"sequence":2,"stop":"s","before":[]}]}]}' \
  "$port" >"$work/live/velkan42.feeds.json"
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/www" >/dev/null 2>"$work/server.log" &
server=$!
trap 'kill $server 2>/dev/null; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- "$0" "$build" "$seconds" --inside "$work"
cat "$work/clock.txt" "$work/minimal.txt" "$work/trayhost.txt"
sed 's/^clock:/live clock:/' "$work/live.txt"
echo "live clock: requests $(grep -c "GET /rt.pb" "$work/server.log" || true) (304: $(grep -c " 304 " "$work/server.log" || true))"
awk '/clock: cpu/ {c=$3} /minimal: cpu/ {m=$3} END {printf "cpu ratio clock/minimal: %.2f\n", c/m}' \
  "$work/clock.txt" "$work/minimal.txt"
awk '/clock: cpu/ {c=$3} END {printf "%s", c}' "$work/clock.txt" >"$work/c"
awk -v c="$(cat "$work/c")" '/clock: cpu/ {printf "cpu ratio live clock/clock: %.2f\n", $3/c}' \
  "$work/live.txt"
