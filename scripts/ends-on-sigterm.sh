#!/bin/sh
# usage: ends-on-sigterm.sh PID...
# Sends SIGTERM to each running program, as a logout does, and fails unless every one has
# ended within a second.
set -u
kill -TERM "$@" || exit 1
for _ in $(seq 20); do
  running=0
  for pid in "$@"; do
    # A copy that ended but is not yet reaped by its parent (state Z) counts as ended.
    stat=$(cat "/proc/$pid/stat" 2>/dev/null) || continue
    case ${stat##*) } in Z*) ;; *) running=1 ;; esac
  done
  [ "$running" -eq 0 ] && exit 0
  sleep 0.05
done
echo "still running a second after SIGTERM: $*" >&2
exit 1
