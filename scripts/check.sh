#!/usr/bin/env bash
# The quick loop while changing the code: an incremental build of build/, then every test that
# needs no real show run (the unit, trace, render and data tiers; not e2e or slow). Assumes
# scripts/test.sh or scripts/build.sh has set the machine up once. Extra arguments go to ctest
# (e.g. -R Scene1 to run one area).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ -f "$root/build/CMakeCache.txt" ] || cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j"$(nproc)"

cd "$root/build"
if [ -n "${DISPLAY:-}" ]; then
  ctest --output-on-failure -j"$(nproc)" -LE 'e2e|slow' "$@"
else
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j"$(nproc)" -LE 'e2e|slow' "$@"
fi
