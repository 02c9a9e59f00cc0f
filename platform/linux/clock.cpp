// The clocks through clock_gettime: CLOCK_MONOTONIC, and the process's and thread's CPU clocks.
#include "platform/clock.h"

#include <time.h>

namespace {

timespec readClock(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return now;
}

double inMs(const timespec& at)
{
    return double(at.tv_sec) * 1e3 + double(at.tv_nsec) / 1e6;
}

} // namespace

std::uint32_t monotonicMsWrapping()
{
    const timespec now = readClock(CLOCK_MONOTONIC);
    // Truncated to 32 bits on purpose: callers only take differences, which survive the wrap.
    const std::uint64_t ms = std::uint64_t(now.tv_sec) * 1000u + std::uint64_t(now.tv_nsec) / 1000000u;
    return std::uint32_t(ms);
}

double monotonicMs()
{
    return inMs(readClock(CLOCK_MONOTONIC));
}

double processCpuMs()
{
    return inMs(readClock(CLOCK_PROCESS_CPUTIME_ID));
}

double threadCpuMs()
{
    return inMs(readClock(CLOCK_THREAD_CPUTIME_ID));
}
