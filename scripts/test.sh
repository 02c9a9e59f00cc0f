#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test, and the Windows show's build and tests under
# Wine (scripts/build-windows.sh, scripts/test-windows.sh); then the hardening steps: every test again
# under AddressSanitizer and UndefinedBehaviorSanitizer, the bitmap decoder's fuzzer for 45 s,
# the show and one frame of each scene under valgrind's memcheck; last, the programs installed
# with cmake --install and as a Debian package (scripts/test-install.sh). Without a display the
# tests get a private X server.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# Runs one step and says how long it took, so that a slow step shows in CI's log.
step() {
  local name=$1 started=$SECONDS
  shift
  "$@"
  echo "test.sh: $name took $((SECONDS - started)) s"
}

withDisplay() {
  if [ -n "${DISPLAY:-}" ]; then
    "$@"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
  fi
}

step "set-up" bash "$root/scripts/setup.sh" test
step "build" bash "$root/scripts/build.sh" all
cd "$root/build"
step "ctest" withDisplay ctest --output-on-failure -j2
step "windows build" bash "$root/scripts/build-windows.sh"
step "windows tests" bash "$root/scripts/test-windows.sh"
step "sanitizers" withDisplay bash "$root/scripts/sanitize.sh"
step "fuzzing" bash "$root/scripts/fuzz.sh" 45
step "memcheck" bash "$root/scripts/memcheck.sh" "$root/build"
step "install checks" bash "$root/scripts/test-install.sh"
