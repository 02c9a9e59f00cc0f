// The show clock's timer, from the Windows multimedia timer.
#include "platform/timer.h"

#include <windows.h>
#include <mmsystem.h>

std::uint32_t readTimerMs()
{
    // The system's millisecond count, wrapping at 2^32; callers only take differences.
    return std::uint32_t(timeGetTime());
}
