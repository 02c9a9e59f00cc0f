// The show clock, the scene schedule and the per-frame dispatch to the current scene.
#include "app/frame.h"

#include "app/run.h"
#include "app/show_state.h"
#include "scenes/scenes.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr std::uint32_t skipStepMs = 10000;

} // namespace

std::uint32_t advanceShowClock()
{
    if (!showState.clockStarted)
        startShowClock(clockReadingMs(), firstFrameTime());
    // Unsigned 32-bit difference: a wrap of the system timer during the show does no harm.
    const std::uint32_t showTimeMs = clockReadingMs() - showState.startTime;

    // Jumps move the start time, so they show from the next frame on.
    if (showState.skipForward == 1) {
        showState.startTime -= skipStepMs;
        showState.skipForward = 0;
    }
    if (showState.skipBack == 1) {
        showState.startTime += skipStepMs;
        showState.skipBack = 0;
    }

    updateSchedule(static_cast<std::int32_t>(showTimeMs));
    return showTimeMs;
}

void updateSchedule(int showTimeMs)
{
    if (showTimeMs >= showEndMs) {
        showState.scene = endScene;
        return;
    }
    // Latest scene first: the schedule takes the first start the show has reached.
    for (int i = sceneCount - 1; i >= 0; --i) {
        const SceneSpan& span = sceneSpans[i];
        if (showTimeMs >= span.startMs) {
            showState.scene = span.scene;
            showState.sceneTime = double(showTimeMs - span.startMs);
            return;
        }
    }
    // A negative elapsed time (a jump back past the start) leaves the schedule as it was.
}

void renderFrame(int scene, unsigned showTimeMs, double sceneTime)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();

    const double t = double(showTimeMs);
    const double a = t * 0.001;
    const double b = t * 0.0004;
    showState.swingX = float(std::cos(a) * 1000.0);
    showState.swingZ = float(std::sin(a) * 1000.0);
    showState.circleX = float(std::cos(b) * 300.0);
    showState.circleY = float(std::sin(b) * 200.0);

    switch (scene) {
    case 1: drawScene1(showTimeMs, sceneTime); break;
    case 2: drawScene2(showTimeMs, sceneTime); break;
    case 3: drawScene3(showTimeMs, sceneTime); break;
    case 4: drawScene4(showTimeMs, sceneTime); break;
    case 5: drawScene5(showTimeMs, sceneTime); break;
    case endScene: std::exit(0); // the end of the show: nothing drawn, nothing swapped
    default: break;       // no scene yet: the frame stays black
    }
}

void drawFrameAt(std::uint32_t showTimeMs)
{
    updateSchedule(static_cast<std::int32_t>(showTimeMs));
    renderFrame(showState.scene, showTimeMs, showState.sceneTime);
}
