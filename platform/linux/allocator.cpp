// The allocator tuning behind tuneAllocatorForDrawing, with glibc's mallopt; blocks tried with
// mmap.
#include "platform/allocator.h"

#include <malloc.h>
#include <sys/mman.h>
#include <sys/resource.h>

void tuneAllocatorForDrawing()
{
    // Mesa's software renderer allocates and frees blocks of some hundreds of kilobytes around
    // every batch of immediate-mode vertices. Past glibc's default threshold (128 KiB) each block
    // is a fresh mmap, page-faulted in and unmapped again on free: the kernel's share of the
    // ripple surface's frame was about a third. Served from the heap, and with the freed top of
    // the heap kept rather than trimmed back, the same pages are reused frame after frame.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
    mallopt(M_TOP_PAD, 64 * 1024 * 1024);
}

bool mayHoldBlocks(std::size_t bytes, int count)
{
    // No allocation of its own: the try is made when memory may be short.
    constexpr int mostBlocks = 8;
    void* blocks[mostBlocks];
    const int tried = count < mostBlocks ? count : mostBlocks;
    bool held = count <= mostBlocks;
    for (int i = 0; i < tried; ++i) {
        blocks[i] = mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        held = held && blocks[i] != MAP_FAILED;
    }
    for (int i = 0; i < tried; ++i)
        if (blocks[i] != MAP_FAILED)
            munmap(blocks[i], bytes);
    return held;
}

unsigned long long addressSpaceLimitKiB()
{
    struct rlimit limit;
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 0;
    return static_cast<unsigned long long>(limit.rlim_cur) / 1024;
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
