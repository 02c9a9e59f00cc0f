// Preloaded by frame_bench for its comparison without the allocator tuning: every mallopt call
// succeeds and changes nothing, so glibc keeps its default thresholds.
#include <malloc.h>

extern "C" int mallopt(int, int)
{
    return 1;
}
