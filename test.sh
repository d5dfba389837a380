#!/usr/bin/env bash
# Builds the whole suite and runs every test (installing missing Debian packages first).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DV42_WERROR=ON
cmake --build build -j2
# Test binaries list their cases before any display exists; smoke tests pick their own.
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
ctest --test-dir build --output-on-failure -j2 --timeout 300
