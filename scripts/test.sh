#!/usr/bin/env bash
# The test command: sets up what is missing, builds, and runs every test (every tier, the slow one
# included); the Windows show's build and its checks under Wine; then the hardening steps: the
# tests again under AddressSanitizer and UndefinedBehaviorSanitizer, the bitmap decoder's fuzzer
# for 45 s, the show and one frame of each scene under valgrind's memcheck; last, the programs
# installed with cmake --install and as a Debian package. Every step runs even after one fails
# (a step that needs another's output is skipped when that one failed); a table of the steps, their
# times and outcomes ends the run, and the status is 0 only when every step passed. Without a
# display the tests get a private X server.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
stopOnSignals

step "set-up" bash "$root/scripts/setup.sh" test
step "build" bash "$root/scripts/build.sh" all
stepAfter "build" "ctest" withDisplay ctest --test-dir "$root/build" --output-on-failure -j2 --no-tests=error
step "windows build" bash "$root/scripts/build-windows.sh"
stepAfter "windows build" "windows tests" bash "$root/scripts/test-windows.sh"
step "sanitizers" bash "$root/scripts/sanitize.sh"
step "fuzzing" bash "$root/scripts/fuzz.sh" 45
stepAfter "build" "memcheck" bash "$root/scripts/memcheck.sh" "$root/build"
stepAfter "build" "install checks" bash "$root/scripts/test-install.sh"
stepSummary
