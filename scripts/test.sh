#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test; then the hardening steps: every test again
# under AddressSanitizer and UndefinedBehaviorSanitizer, the bitmap decoder's fuzzer for 45 s,
# the show and one frame of each scene under valgrind's memcheck; last, the programs installed
# with cmake --install and as a Debian package (scripts/test-install.sh). Without a display the
# tests get a private X server.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" test
bash "$root/scripts/build.sh" all

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
bash "$root/scripts/test-install.sh"
