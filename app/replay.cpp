// Rebuilding a run's carried state for a capture that starts part-way through the show.
//
// What a frame inherits: the camera fields the last frame of each earlier scene wrote, the light
// ring's radius (which depends on every frame from 105 s on until it is spent), and the GL state
// the frame before left (which in scene 4 includes scene 3's material). Drawing the last frame of
// each earlier scene, applying the ring's shrink rule at every skipped frame time, and drawing the
// frame before gives all three exactly as the run had them.
#include "app/replay.h"

#include "app/drawing_state.h"
#include "app/frame.h"
#include "app/run.h"
#include "app/timeline.h"
#include "elements/light_ring.h"

#include <GL/gl.h>
#include <GL/glext.h> // GL_RASTERIZER_DISCARD, where gl.h stops at OpenGL 1.1

std::uint64_t firstFrameFrom(std::uint32_t showTimeMs, int framesPerSecond)
{
    // frame * 1000 / fps >= t  <=>  frame >= ceil(t * fps / 1000)
    return (std::uint64_t(showTimeMs) * std::uint64_t(framesPerSecond) + 999) / 1000;
}

std::uint32_t runFrameTime(std::uint64_t frame, int framesPerSecond)
{
    return std::uint32_t(frame * 1000 / std::uint64_t(framesPerSecond));
}

void replayRunUntil(std::uint32_t showTimeMs, int framesPerSecond)
{
    // A fresh run. Everything else a frame reads (schedule, orbit values) it writes itself first.
    resetCarriedValues();

    const std::uint64_t first = firstFrameFrom(showTimeMs, framesPerSecond);
    if (first == 0)
        return; // the run's first frame starts from the fresh state
    const std::uint64_t previous = first - 1;
    const std::uint32_t previousTime = runFrameTime(previous, framesPerSecond);

    // The last frame of every scene that ended before the frame before.
    for (int scene = 2; scene <= sceneCount; ++scene) {
        const std::uint32_t start = std::uint32_t(sceneStartMs(scene));
        if (start > previousTime)
            break;
        drawFrameAt(runFrameTime(firstFrameFrom(start, framesPerSecond) - 1, framesPerSecond));
    }
    // The ring's radius after every skipped frame from 105 s on (the rule is spent after 109 s).
    for (std::uint64_t frame = firstFrameFrom(ringClosingMs, framesPerSecond); frame < previous; ++frame) {
        const std::uint32_t time = runFrameTime(frame, framesPerSecond);
        if (ringRadius(Ring::light) <= 0.0)
            break;
        advanceRingRadius(Ring::light, int(time));
    }
    drawFrameAt(previousTime);
}

void replayShowUntil(std::uint32_t showTimeMs)
{
    glEnable(GL_RASTERIZER_DISCARD);
    replayRunUntil(showTimeMs, showReplayFramesPerSecond);
    glDisable(GL_RASTERIZER_DISCARD);
}

void rebuildRunAt(std::uint32_t showTimeMs)
{
    resetDrawingState();
    replayShowUntil(showTimeMs);
}
