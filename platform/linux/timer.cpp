// The show clock's timer, from the monotonic system clock.
#include "platform/timer.h"

#include <time.h>

std::uint32_t readTimerMs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Truncated to 32 bits on purpose: callers only take differences, which survive the wrap.
    const std::uint64_t ms = std::uint64_t(now.tv_sec) * 1000u + std::uint64_t(now.tv_nsec) / 1000000u;
    return std::uint32_t(ms);
}
