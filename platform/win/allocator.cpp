// The allocator tuning behind tuneAllocatorForDrawing: nothing to tune in the Windows C runtime's
// heap, which keeps freed blocks for reuse by itself.
#include "platform/allocator.h"

void tuneAllocatorForDrawing() {}

// The C runtime's heap gives large freed blocks back by itself.
void releaseFreedMemory() {}
