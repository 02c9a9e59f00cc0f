// The page's memory: the WebAssembly heap grows on demand up to its limit, with nothing to tune
// and nothing reserved ahead.
#include "platform/allocator.h"

void tuneAllocatorForDrawing() {}

void* reserveAddressSpace(std::size_t)
{
    return nullptr; // no reservations in a page: a try to hold blocks there says no
}

void releaseAddressSpace(void*, std::size_t) {}

void releaseFreedMemory() {}

unsigned long long addressSpaceLimitKiB()
{
    return 0; // the page's own limit is the heap's, which it grows to
}
