#!/usr/bin/env bash
# Builds the benchmarks into build-bench/ and runs them: the pure computations (compute_bench),
# the program's own work per frame (frame_own_cpu), frame cost per scene and element with the
# start-up (frame_bench) and the viewer's jumps (jump_bench), under a private X server when there
# is no display. Arguments are passed to frame_bench (e.g. --mode scenes --size 1000x800 --frames 200).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
build="$root/build-bench"
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target compute_bench frame_own_cpu frame_bench jump_bench
cd "$build"
echo "== machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
./bench/compute_bench --benchmark_min_time=0.5
./bench/frame_own_cpu
withDisplay ./bench/frame_bench "$@"
withDisplay ./bench/jump_bench
