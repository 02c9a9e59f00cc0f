// Memory: tuning of the C library's allocator for the show's drawing, applied once at process
// start; and whether the process may hold blocks of a size at all.
#pragma once

#include <cstddef>

// Call first thing in main (and when the offscreen renderer opens), before any GL work.
void tuneAllocatorForDrawing();

// Whether the process may hold `count` blocks of `bytes` each at once, within the memory it may
// use (ulimit -v). Reserved without access or backing and given back, so the try costs nothing.
bool mayHoldBlocks(std::size_t bytes, int count);

// The system's part of that try: address space of `bytes` reserved without access or backing
// (null when the process may not have it), and given back.
void* reserveAddressSpace(std::size_t bytes);
void releaseAddressSpace(void* block, std::size_t bytes);

// Hands the freed memory the tuning keeps back to the system: for after a very large drawing
// surface is left (its buffers, hundreds of megabytes, would otherwise stay resident).
void releaseFreedMemory();
