// Millisecond timer for the show clock: an unsigned 32-bit count that wraps, used only through
// differences. A capture can hold it at chosen readings to drive the show on a virtual clock.
#pragma once

#include <cstdint>

std::uint32_t readTimerMs();

// From now on readTimerMs returns `ms` until the next call; releaseTimer goes back to real time.
void holdTimerAt(std::uint32_t ms);
void releaseTimer();
