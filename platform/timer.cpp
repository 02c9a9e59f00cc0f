// The show clock's timer: the monotonic clock, or the reading it is held at.
#include "platform/timer.h"

#include "platform/clock.h"

namespace {
bool held = false;
std::uint32_t heldMs = 0;
}

std::uint32_t readTimerMs()
{
    return held ? heldMs : monotonicMsWrapping();
}

void holdTimerAt(std::uint32_t ms)
{
    held = true;
    heldMs = ms;
}

void releaseTimer()
{
    held = false;
}
