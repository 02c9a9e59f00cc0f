// Tuning of the C library's allocator for the show's drawing, applied once at process start.
#pragma once

// Call first thing in main (and when the offscreen renderer opens), before any GL work.
void tuneAllocatorForDrawing();
