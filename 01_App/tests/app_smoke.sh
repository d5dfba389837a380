#!/usr/bin/env bash
# Starts the built clock on the sample timetable under a virtual X display, finds its window,
# and checks that a second copy hands over to the first (no message box, exit 0) while the
# first runs on, and that SIGTERM ends it.
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
  cd "$2"
  # Waits up to 15 s for a top-level window with this exact caption.
  wait_for() {
    for _ in $(seq 150); do
      xwininfo -root -tree | grep -qF "\"$1\"" && return 0
      sleep 0.1
    done
    echo "no window \"$1\""
    xwininfo -root -tree | grep '"' | head -20
    return 1
  }
  ./Velkan42 & first=$!
  trap 'kill $first ${tray:-} 2>/dev/null || true' EXIT
  wait_for "ベルカン 42"
  # A panel's tray that starts after the clock, as at login, and starts again: the icon is
  # embedded in it each time, before its number next changes.
  if command -v trayer >/dev/null; then
    for start in first again; do
      trayer --edge top --align right --widthtype pixel --width 100 --height 32 & tray=$!
      embedded=0
      for _ in $(seq 100); do
        if xwininfo -root -tree | grep -A4 '"panel": ("panel" "trayer")' |
            grep -qF '"Velkan42": ("Velkan42"'; then embedded=1; break; fi
        sleep 0.1
      done
      [ $embedded = 1 ] || { echo "no tray icon in the tray started $start"; exit 1; }
      kill $tray; wait $tray 2>/dev/null || true
    done
    tray=
  fi
  timeout 15 ./Velkan42 || { echo "the second copy did not hand over and end with 0"; exit 1; }
  if xwininfo -root -tree | grep -qF '"2重起動ｴﾗｰ"'; then echo "a refusal box opened"; exit 1; fi
  kill -0 "$first"
  "$(dirname "$0")/../../scripts/ends-on-sigterm.sh" "$first"
  echo "smoke: window shown, tray icon in a late and a restarted tray, second copy handed over, first still running; SIGTERM ends it"
  exit 0
fi

program=$1 sample=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 700 "$work"
cp "$program" "$work/Velkan42"
cp "$sample" "$work/velkan42.dat"
# A real window on the virtual display, whatever platform the test run chose.
export QT_QPA_PLATFORM=xcb
# The tray is the virtual display's own, never one on the desktop's session bus.
unset DBUS_SESSION_BUS_ADDRESS
# The lock of a clock the user may be running elsewhere stays out of the way.
export XDG_RUNTIME_DIR=$work
"$(dirname "$0")/../../scripts/on-own-display.sh" "$0" --inside "$work"
