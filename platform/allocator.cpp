// Whether the process may hold blocks of a size, and the renderer within the address-space
// limit: the tries, on the system's reservations and limit.
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

bool addressSpaceHoldsRenderer(std::size_t beyond, std::string& reason)
{
    const unsigned long long limit = addressSpaceLimitKiB();
    if (limit == 0 || mayHoldBlocks(rendererAddressSpace + beyond, 1))
        return true;
    reason = "the address-space limit (ulimit -v " + std::to_string(limit) +
             " KiB) leaves too little room to load the OpenGL renderer, which takes about " +
             std::to_string((rendererAddressSpace + beyond) >> 20) + " MiB more: raise the limit or lift it (ulimit -v unlimited)";
    return false;
}
