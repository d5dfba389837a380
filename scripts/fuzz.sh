#!/usr/bin/env bash
# scripts/fuzz.sh [SECONDS] [SEED]: builds the libFuzzer targets with clang in build-fuzz/ and
# runs each one for SECONDS (default 60) from its seed corpus in fuzz/corpus/. Any crash,
# sanitizer report, leak, timeout or broken round trip fails the run; the input that caused it
# is kept in build-fuzz/findings/<target>/, and what each target learnt in
# build-fuzz/corpus/<target>/.
# SEED defaults to 1, so that a run from a clean checkout tries the same inputs each time and a
# red CI can be repeated; "random" explores afresh, for long runs by hand.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
seed=${2:-1}
[ "$seed" = random ] && seed=0  # libFuzzer picks one

scripts/install-deps.sh --fuzz
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DV42_FUZZ=ON \
  -DV42_BUILD_GUI=OFF -DV42_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j2 --target v42_fuzzers

# Every input is saved and flushed by the round trip: memory keeps that fast.
scratchRoot=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && scratchRoot=/dev/shm
scratch=$(mktemp -d "$scratchRoot/v42fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

failed=()
for fuzzer in build-fuzz/bin/*_fuzzer; do
  name=$(basename "$fuzzer" _fuzzer)
  mkdir -p "build-fuzz/corpus/$name" "build-fuzz/findings/$name"
  log="build-fuzz/findings/$name.log"
  echo "== $name: $seconds s"
  if TMPDIR="$scratch" "$fuzzer" -max_total_time="$seconds" -seed="$seed" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$name/" \
    "build-fuzz/corpus/$name" "fuzz/corpus/$name" >"$log" 2>&1; then
    grep -E '^stat::(number_of_executed_units|new_units_added)' "$log" | tr '\n' ' '
    echo
  else
    tail -n 60 "$log"
    failed+=("$name")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found faults in: ${failed[*]} (inputs in build-fuzz/findings/)" >&2
  exit 1
fi
echo "No findings."
