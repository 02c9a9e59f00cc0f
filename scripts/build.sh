#!/usr/bin/env bash
# Configures and builds into build/ (or $SHOW_BUILD_DIR): `build.sh programs` only the show,
# showcap and the data files (what running the show needs); `build.sh all` (the default) also the
# tests and the benchmarks. With SHOW_CONFIGURE_ONLY=1 it stops after configuring (the install
# check reads the targets run.sh's build would have).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
build="${SHOW_BUILD_DIR:-$root/build}"
case "${1:-all}" in
  programs)
    # A first configure leaves the tests out (watching needs neither GoogleTest nor Google
    # Benchmark); a build folder configured with them keeps them, so the quick loop's stay built.
    tests=()
    [ -f "$build/CMakeCache.txt" ] || tests=(-DSHOW_TESTS=OFF)
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release "${tests[@]}" >/dev/null
    [ "${SHOW_CONFIGURE_ONLY:-0}" = 1 ] && exit 0
    cmake --build "$build" -j"$(nproc)" --target show showcap iroiro_data iroiro_icons iroiro_packaging_files ;;
  all)
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSHOW_TESTS=ON >/dev/null
    [ "${SHOW_CONFIGURE_ONLY:-0}" = 1 ] && exit 0
    cmake --build "$build" -j"$(nproc)" ;;
  *) echo "usage: build.sh [programs|all]" >&2; exit 2 ;;
esac
