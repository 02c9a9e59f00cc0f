#!/usr/bin/env bash
# Builds the show, showcap, makedata and every test program with AddressSanitizer and
# UndefinedBehaviorSanitizer into build/sanitize (those and nothing else: no benchmarks), and runs
# every test there but the slow tier, whose whole real-time show adds nothing the e2e rows don't,
# and the three rows named below. Any sanitizer report fails a test: the test programs exit
# non-zero, and the end-to-end tests find the report on the show's standard error. Leaks held at
# exit by libraries outside the project are suppressed in tests/sanitizers/lsan.supp, each with
# its reason. The tests run on the display there is, or in a private X server.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
build="$root/build/sanitize"

# -O1 with line tables: what the sanitizers' own documentation advises (reports keep their file
# and line), at about half the compile time of -O2 with full debugging information. The data
# files are the main build's (the same bytes; makedata itself still runs sanitized in the data
# tests), so the soundtrack is not synthesised again under the sanitizers.
[ -f "$root/build/CMakeCache.txt" ] || SHOW_CONFIGURE_ONLY=1 bash "$root/scripts/build.sh" programs
cmake --build "$root/build" -j"$(nproc)" --target iroiro_data
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DSHOW_SANITIZE=ON -DSHOW_DATA_FROM="$root/build/iroiro" >/dev/null
cmake --build "$build" -j"$(nproc)" --target show showcap makedata unit_tests render_tests trace_tests e2e_tests data_tests iroiro_data

# freeglut's exit handler closes the X display, and with it Mesa unloads its driver before
# LeakSanitizer looks; the driver's blocks would then be reported from "<unknown module>", which
# no suppression can tell from the project's own. Loading it with the process keeps it mapped.
# ASan then no longer comes first in the library list, which it accepts when told.
driver=$(ls /usr/lib/*/dri/swrast_dri.so /usr/lib/dri/swrast_dri.so 2>/dev/null | head -n 1 || true)
[ -n "$driver" ] || { echo "sanitize: Mesa's swrast_dri.so not found (libgl1-mesa-dri)" >&2; exit 1; }
export ASAN_OPTIONS="verify_asan_link_order=0:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"

# Beside the slow tier, three rows that only repeat at length what shorter sanitized rows run:
# makedata --stems and two makedata runs at once repeat the one sanitized synthesis of the whole
# soundtrack that DataMakedata runs, and ArtWholeRun draws every frame of a run through the frame
# path the render suites draw. Under the sanitizers each takes minutes and finds nothing new.
# The driver is preloaded into the tests alone, not into the private X server started for them.
cd "$build"
withDisplay env LD_PRELOAD="$driver" ctest --output-on-failure -j2 --no-tests=error -LE slow \
  -E '^(DataStems|ArtWholeRun|CaptureDependability\.ConcurrentMakedataRunsBothSucceedAndIgnorePlantedPartialLinks)$'

