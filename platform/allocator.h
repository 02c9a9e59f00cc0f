// Tuning of the C library's allocator for the show's drawing, applied once at process start.
#pragma once

// Call first thing in main (and when the offscreen renderer opens), before any GL work.
void tuneAllocatorForDrawing();

// Hands the freed memory the tuning keeps back to the system: for after a very large drawing
// surface is left (its buffers, hundreds of megabytes, would otherwise stay resident).
void releaseFreedMemory();
