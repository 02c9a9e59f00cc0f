// Frame times over a scene, and the summary of a set of timings.
#include "bench_stats.h"

#include <algorithm>
#include <cmath>

std::vector<std::uint32_t> spreadFrameTimes(const SceneSpan& span, int count)
{
    std::vector<std::uint32_t> times;
    const std::uint64_t length = std::uint64_t(span.endMs - span.startMs);
    for (int i = 0; i < count; ++i)
        times.push_back(std::uint32_t(span.startMs) + std::uint32_t(length * std::uint64_t(i) / std::uint64_t(count)));
    return times;
}

Timing summarise(std::vector<double> milliseconds)
{
    if (milliseconds.empty())
        return {0, 0};
    std::sort(milliseconds.begin(), milliseconds.end());
    const std::size_t n = milliseconds.size();
    const double median = n % 2 ? milliseconds[n / 2] : (milliseconds[n / 2 - 1] + milliseconds[n / 2]) / 2;
    const std::size_t rank = std::size_t(std::ceil(0.95 * double(n)));
    return {median, milliseconds[std::max<std::size_t>(rank, 1) - 1]};
}
