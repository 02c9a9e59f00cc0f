// Millisecond timer for the show clock: an unsigned 32-bit count that wraps, used only through
// differences.
#pragma once

#include <cstdint>

std::uint32_t readTimerMs();
