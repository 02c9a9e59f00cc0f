// The clocks on Windows: the multimedia timer's millisecond count, the performance counter, and
// the process's and thread's times.
#include "platform/clock.h"

#include <windows.h>
#include <mmsystem.h>

namespace {

// A FILETIME span (100 ns units) in milliseconds.
double inMs(const FILETIME& span)
{
    const ULONGLONG units = (ULONGLONG(span.dwHighDateTime) << 32) | span.dwLowDateTime;
    return double(units) / 1e4;
}

} // namespace

std::uint32_t monotonicMsWrapping()
{
    // The system's millisecond count, wrapping at 2^32.
    return std::uint32_t(timeGetTime());
}

double monotonicMs()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) * 1e3 / double(frequency.QuadPart);
}

double processCpuMs()
{
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user))
        return 0.0;
    return inMs(kernel) + inMs(user);
}

double threadCpuMs()
{
    FILETIME created, ended, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user))
        return 0.0;
    return inMs(kernel) + inMs(user);
}
