// The allocator tuning behind tuneAllocatorForDrawing: nothing to tune in the Windows C runtime's
// heap, which keeps freed blocks for reuse by itself. Address space reserved with
// VirtualAlloc.
#include "platform/allocator.h"

#include <windows.h>

void tuneAllocatorForDrawing() {}

void* reserveAddressSpace(std::size_t bytes)
{
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE, PAGE_NOACCESS);
}

void releaseAddressSpace(void* block, std::size_t)
{
    VirtualFree(block, 0, MEM_RELEASE);
}

// The C runtime's heap gives large freed blocks back by itself.
void releaseFreedMemory() {}

// No per-process address-space limit on Windows: a failed renderer says why itself.
unsigned long long addressSpaceLimitKiB()
{
    return 0;
}
