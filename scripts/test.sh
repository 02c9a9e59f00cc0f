#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test. Without a display the tests get a
# private X server.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
cd "$root/build"
if [ -n "${DISPLAY:-}" ]; then
  ctest --output-on-failure -j2
else
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2
fi
