#!/usr/bin/env bash
# The quick loop while changing the code: an incremental build of build/ with its tests turned on
# (whatever an earlier scripts/run.sh left in the cache), then every test that needs no real show
# run (the unit, trace, render and data tiers; not e2e or slow). Finding no test is a failure.
# Assumes scripts/test.sh or scripts/setup.sh test has set the machine up once. Extra arguments go
# to ctest (e.g. -R Scene1 to run one area).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
build="$root/build"

grep -qx 'SHOW_TESTS:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null ||
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSHOW_TESTS=ON >/dev/null
# What these tiers run, and nothing else: no benchmarks, no end-to-end test program.
cmake --build "$build" -j"$(nproc)" --target show unit_tests trace_tests render_tests data_tests iroiro_data

# The end-to-end test program is not built here: where it never was, CTest stands in for its
# tests with placeholders that carry no tier, which are left out by name.
withDisplay ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --no-tests=error -LE 'e2e|slow' \
  -E '^e2e_tests_NOT_BUILT' "$@"
