#!/usr/bin/env bash
# scripts/sanitize.sh: builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer
# in build-asan/ and runs every test there. Any sanitizer report fails the run, also one from a
# program a test starts, whose exit status the test may not look at.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DV42_WERROR=ON \
  -DV42_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build build-asan -j2

reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT
export ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
status=0
ctest --test-dir build-asan --output-on-failure -j2 --timeout 600 || status=$?
if compgen -G "$reports/*" >/dev/null; then
  cat "$reports"/* >&2
  echo "Sanitizer reports: see above." >&2
  exit 1
fi
exit $status
