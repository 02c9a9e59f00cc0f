// The page's clocks: performance.now() for the monotonic one; a page has no processor-time
// clock, so the processor-time readings are that clock too.
#include "platform/clock.h"

#include <cmath>
#include <emscripten.h>

std::uint32_t monotonicMsWrapping()
{
    return std::uint32_t(std::uint64_t(std::floor(emscripten_get_now())));
}

double monotonicMs()
{
    return emscripten_get_now();
}

double processCpuMs()
{
    return emscripten_get_now();
}

double threadCpuMs()
{
    return emscripten_get_now();
}
