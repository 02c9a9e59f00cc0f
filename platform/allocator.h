// Memory: tuning of the C library's allocator for the show's drawing, applied once at process
// start; and whether the process may hold blocks of a size at all.
#pragma once

#include <cstddef>

// Call first thing in main (and when the offscreen renderer opens), before any GL work.
void tuneAllocatorForDrawing();

// Whether the process may hold `count` blocks of `bytes` each at once, within the memory it may
// use (ulimit -v). Reserved without access or backing and given back, so the try costs nothing.
bool mayHoldBlocks(std::size_t bytes, int count);
