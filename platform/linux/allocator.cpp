// The allocator tuning behind tuneAllocatorForDrawing, with glibc's mallopt; address space
// reserved with mmap.
#include "platform/allocator.h"

#include <malloc.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <cstdint>

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

void* reserveAddressSpace(std::size_t bytes)
{
    void* block = mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    return block == MAP_FAILED ? nullptr : block;
}

void releaseAddressSpace(void* block, std::size_t bytes)
{
    munmap(block, bytes);
}

void releaseFreedMemory()
{
    malloc_trim(0);
}

unsigned long long addressSpaceLimitKiB()
{
    struct rlimit limit;
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 0;
    return std::uint64_t(limit.rlim_cur) / 1024;
}
