// The show clock's timer: the monotonic clock's milliseconds.
#include "platform/timer.h"

#include "platform/clock.h"

std::uint32_t readTimerMs()
{
    return monotonicMsWrapping();
}
