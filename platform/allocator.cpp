// Whether the process may hold blocks of a size: the try, on the system's reservations.
#include "platform/allocator.h"

bool mayHoldBlocks(std::size_t bytes, int count)
{
    // No allocation of its own: the try is made when memory may be short.
    constexpr int mostBlocks = 8;
    void* blocks[mostBlocks];
    const int tried = count < mostBlocks ? count : mostBlocks;
    bool held = count <= mostBlocks;
    for (int i = 0; i < tried; ++i) {
        blocks[i] = reserveAddressSpace(bytes);
        held = held && blocks[i] != nullptr;
    }
    for (int i = 0; i < tried; ++i)
        if (blocks[i] != nullptr)
            releaseAddressSpace(blocks[i], bytes);
    return held;
}
