#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test; then the hardening steps: every test again
# under AddressSanitizer and UndefinedBehaviorSanitizer, the bitmap decoder's fuzzer for 45 s,
# and the show and one frame of each scene under valgrind's memcheck. Without a display the
# tests get a private X server.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"

withDisplay() {
  if [ -n "${DISPLAY:-}" ]; then
    "$@"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
  fi
}

cd "$root/build"
withDisplay ctest --output-on-failure -j2
withDisplay bash "$root/scripts/sanitize.sh"
bash "$root/scripts/fuzz.sh" 45
bash "$root/scripts/memcheck.sh" "$root/build"
