// The show clock's timer, from the Windows multimedia timer.
#include "platform/timer.h"

#include <windows.h>
#include <mmsystem.h>

namespace {
bool held = false;
std::uint32_t heldMs = 0;
}

std::uint32_t readTimerMs()
{
    // The system's millisecond count, wrapping at 2^32; callers only take differences.
    return held ? heldMs : std::uint32_t(timeGetTime());
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
