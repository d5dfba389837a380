#!/usr/bin/env bash
# Builds the clock and starts it on the sample timetable (installing missing packages first).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target Velkan42
# The clock reads its files beside the executable; never overwrite the user's own timetable.
[ -e build/bin/velkan42.dat ] || cp examples/velkan42.dat build/bin/velkan42.dat
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set): the clock is built as"
  echo "build/bin/Velkan42 but cannot open its window here. Run it on a virtual display instead:"
  echo "  xvfb-run -a -s '-screen 0 1280x800x24' build/bin/Velkan42"
  exit 1
fi
exec build/bin/Velkan42
