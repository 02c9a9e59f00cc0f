// The machine's clocks: the monotonic one the show clock and every measurement read, and the
// processor time the process and its threads have used.
#pragma once

#include <cstdint>

// Whole milliseconds of the monotonic clock, wrapping at 2^32: only differences mean anything.
std::uint32_t monotonicMsWrapping();

// Milliseconds of the monotonic clock since an arbitrary start, with their fraction. The start is
// the machine's, so that figures taken in different processes compare.
double monotonicMs();

// Milliseconds of processor time used so far by the whole process (all its threads), and by the
// calling thread alone.
double processCpuMs();
double threadCpuMs();
