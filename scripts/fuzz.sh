#!/usr/bin/env bash
# Fuzzes the bitmap decoder with libFuzzer (clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer) for a bounded time. The corpus starts from seeds that
# bitmap_fuzz_seeds writes (every accepted depth, padding, palettes, top-down, bit fields) and
# grows in build/fuzz/corpus from run to run. A crash or sanitizer report fails the run and
# leaves the input as build/fuzz/crash-*; `build/fuzz/tests/fuzz/bitmap_fuzz FILE` replays it.
# Usage: scripts/fuzz.sh [SECONDS]   (default 45; the test command runs the default)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
seconds=${1:-45}
build="$root/build/fuzz"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ -DSHOW_FUZZ=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target bitmap_fuzz bitmap_fuzz_seeds

rm -rf "$build/seeds"
mkdir -p "$build/seeds" "$build/corpus"
"$build/tests/fuzz/bitmap_fuzz_seeds" "$build/seeds"
"$build/tests/fuzz/bitmap_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$build/crash-" "$build/corpus" "$build/seeds" 2>"$build/fuzz.log" || {
  tail -n 60 "$build/fuzz.log" >&2
  echo "fuzz: the bitmap decoder failed; the input is in $build/crash-*" >&2
  exit 1
}
grep -E '^stat::(number_of_executed_units|new_units_added)' "$build/fuzz.log" | sed 's/^/fuzz: /'
echo "fuzz: bitmap decoder clean for ${seconds} s"
