// Switching between drawn frames and the hidden window's timer as the window shows and hides.
#include "app/visibility.h"

#include "app/controls.h"
#include "app/frame.h"
#include "app/show_state.h"
#include "app/startup.h"
#include "app/timeline.h"

#include <GL/freeglut.h>
#include <cstdint>
#include <cstdlib>

namespace {

// How often the clock is looked at while hidden; the last wait is cut to end the show on time.
constexpr std::int32_t hiddenTickMs = 100;

bool hidden = false;
// Counts the times the window went out of sight: a timer set during an earlier time out of sight
// finds the count moved on and stops, so at most one chain of timers runs.
int hiddenSpell = 0;

void hiddenTick(int spell)
{
    if (!hidden || spell != hiddenSpell)
        return;
    // The same clock and schedule the frames use, so the show ends where a frame would end it.
    const std::int32_t showTimeMs = std::int32_t(advanceShowClock());
    if (showState.scene == 6 && !loopAtEnd())
        std::exit(0);
    std::int32_t wait = showEndMs - showTimeMs;
    if (wait > hiddenTickMs || wait < 1)
        wait = hiddenTickMs; // below 1: a jump back past the start, while the clock is negative
    glutTimerFunc(unsigned(wait), hiddenTick, spell);
}

} // namespace

void windowStatusChanged(int state)
{
    const bool outOfSight = state == GLUT_HIDDEN || state == GLUT_FULLY_COVERED;
    if (outOfSight == hidden)
        return;
    hidden = outOfSight;
    if (hidden) {
        glutIdleFunc(nullptr);
        glutTimerFunc(0, hiddenTick, ++hiddenSpell);
    } else if (!showPaused()) {
        glutIdleFunc(requestRedisplay);
    }
}

bool windowOutOfSight()
{
    return hidden;
}
