// The program's own work per frame: each scene's frames run through renderFrame with every GL,
// GLU and GLUT call stubbed out (gl_stubs.cpp), so the time left is the show's computations and
// the loops that would hand their results to the driver. Also counts heap allocations per frame,
// and measures scene 5 again with the ripple's other paths, the literal one (every interior row's
// heights twice, distances every frame, immediate mode) being the straightforward form; and the
// scenes with solids again with the literal solid path (every cube sent, none tested).
//
//   frame_own_cpu [--frames N] [--raw]
#include "bench_stats.h"

#include "app/frame.h"
#include "app/show_state.h"
#include "elements/light_ring.h"
#include "elements/ripple_surface.h"
#include "elements/solids.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);

namespace {

bool countingAllocations = false;
long allocations = 0;

struct SceneCost {
    Timing own;
    double allocationsPerFrame;
};

SceneCost measureScene(const SceneSpan& span, int frames)
{
    const std::vector<std::uint32_t> times = spreadFrameTimes(span, frames);
    std::vector<double> own;
    // The first pass warms the caches; both start with full rings, as a run would.
    for (int pass = 0; pass < 2; ++pass) {
        resetRingRadii();
        own.clear();
        allocations = 0;
        for (std::uint32_t t : times) {
            updateSchedule(int(t));
            countingAllocations = true;
            const double start = monotonicMs();
            renderFrame(showState.scene, t, showState.sceneTime);
            own.push_back(monotonicMs() - start);
            countingAllocations = false;
        }
    }
    return {summarise(own), double(allocations) / frames};
}

} // namespace

// Counted only while a frame runs; everything else passes straight through to the C library.
extern "C" void* malloc(std::size_t size)
{
    if (countingAllocations)
        ++allocations;
    return __libc_malloc(size);
}

extern "C" void* calloc(std::size_t count, std::size_t size)
{
    if (countingAllocations)
        ++allocations;
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* pointer, std::size_t size)
{
    if (countingAllocations)
        ++allocations;
    return __libc_realloc(pointer, size);
}

int main(int argc, char** argv)
{
    int frames = 100;
    bool raw = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--frames") && i + 1 < argc)
            frames = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--raw"))
            raw = true;
        else {
            std::fprintf(stderr, "usage: frame_own_cpu [--frames N] [--raw]\n");
            return 2;
        }
    }
    if (frames < 1)
        frames = 1;
    prepareSolids(); // into the stubs: the recorded path then runs as in the show

    if (!raw)
        std::printf("Own work per frame, GL stubbed (%d frames per scene)\n%-8s %12s %12s %14s\n", frames,
                    "scene", "median ms", "p95 ms", "allocs/frame");
    SceneCost scene5{};
    for (const SceneSpan& span : sceneSpans) {
        const SceneCost cost = measureScene(span, frames);
        if (span.scene == 5)
            scene5 = cost;
        if (raw)
            std::printf("own %d %.4f %.4f %.2f\n", span.scene, cost.own.median, cost.own.p95, cost.allocationsPerFrame);
        else
            std::printf("%-8d %12.3f %12.3f %14.2f\n", span.scene, cost.own.median, cost.own.p95,
                        cost.allocationsPerFrame);
    }
    // Scene 5 with the ripple's other paths; the literal one is the straightforward form: every
    // interior row's heights computed twice, the distances every frame, immediate mode.
    const RipplePath otherPaths[] = {RipplePath::immediate, RipplePath::literal};
    const char* names[] = {"immediate", "literal"};
    double literal = 0;
    for (int i = 0; i < 2; ++i) {
        setRipplePath(otherPaths[i]);
        const double own = measureScene(sceneSpans[4], frames).own.median;
        setRipplePath(RipplePath::arrays);
        if (raw)
            std::printf("own5 %s %.4f\n", names[i], own);
        else
            std::printf("scene 5 with the ripple drawn by the %s path: %.3f ms\n", names[i], own);
        literal = own;
    }
    setSolidPath(SolidPath::literal);
    for (int scene = 2; scene <= 4; ++scene) {
        const double own = measureScene(sceneSpans[scene - 1], frames).own.median;
        if (raw)
            std::printf("ownliteral %d %.4f\n", scene, own);
        else
            std::printf("scene %d with literal solids: %.3f ms\n", scene, own);
    }
    setSolidPath(SolidPath::recorded);
    if (!raw)
        std::printf("scene 5's own work is now %.0f%% of the literal path's\n", 100.0 * scene5.own.median / literal);
    return 0;
}
