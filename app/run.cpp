// The run's clock start, carried values and resources, next to the fields they touch.
#include "app/run.h"

#include "app/show_state.h"
#include "elements/light_ring.h"
#include "platform/timer.h"

namespace {

std::uint32_t firstFrameShowTimeMs = 0;

bool clockHeld = false;
std::uint32_t heldReadingMs = 0;

} // namespace

void startShowClock(std::uint32_t timerMs, std::uint32_t showTimeMs)
{
    showState.clockStarted = true;
    showState.startTime = timerMs - showTimeMs; // unsigned: wraps like the timer itself
}

std::uint32_t clockReadingMs()
{
    return clockHeld ? heldReadingMs : readTimerMs();
}

void holdClockAt(std::uint32_t timerMs)
{
    clockHeld = true;
    heldReadingMs = timerMs;
}

void releaseClock()
{
    clockHeld = false;
}

void setFirstFrameTime(std::uint32_t showTimeMs)
{
    firstFrameShowTimeMs = showTimeMs;
}

std::uint32_t firstFrameTime()
{
    return firstFrameShowTimeMs;
}

void resetCarriedValues()
{
    showState.clockStarted = false;
    showState.startTime = 0;
    showState.scene = 0;
    showState.sceneTime = 0.0;
    showState.cameraShift = 0.0;
    showState.cameraX = 0.0f;
    showState.cameraEndX = 0.0f;
    showState.cameraY = 0.0;
    showState.cameraTravel = 0.0;
    showState.tunnelDepth = 0.0f;
    resetRingRadii();
}

void releaseRun()
{
    if (showState.quadric)
        gluDeleteQuadric(showState.quadric);
    showState.quadric = nullptr;
}
