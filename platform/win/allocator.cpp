// The allocator tuning behind tuneAllocatorForDrawing: nothing to tune in the Windows C runtime's
// heap, which keeps freed blocks for reuse by itself. Blocks tried with VirtualAlloc.
#include "platform/allocator.h"

#include <windows.h>

void tuneAllocatorForDrawing() {}

bool mayHoldBlocks(std::size_t bytes, int count)
{
    // No allocation of its own: the try is made when memory may be short.
    constexpr int mostBlocks = 8;
    void* blocks[mostBlocks];
    const int tried = count < mostBlocks ? count : mostBlocks;
    bool held = count <= mostBlocks;
    for (int i = 0; i < tried; ++i) {
        blocks[i] = VirtualAlloc(nullptr, bytes, MEM_RESERVE, PAGE_NOACCESS);
        held = held && blocks[i] != nullptr;
    }
    for (int i = 0; i < tried; ++i)
        if (blocks[i] != nullptr)
            VirtualFree(blocks[i], 0, MEM_RELEASE);
    return held;
}

// No per-process address-space limit to name on Windows: a failed renderer says why itself.
unsigned long long addressSpaceLimitKiB()
{
    return 0;
}

bool addressSpaceHoldsRenderer(std::size_t, std::string&)
{
    return true;
}
