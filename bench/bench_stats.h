// What the frame benchmarks share: the frame times spread over a scene's span, and the median and
// 95th percentile of a set of timings.
#pragma once

#include "app/timeline.h"
#include "platform/clock.h" // monotonicMs, the clock every figure is taken with

#include <cstdint>
#include <vector>


// `count` show times spread evenly over the span: frame i at start + i * (end - start) / count.
std::vector<std::uint32_t> spreadFrameTimes(const SceneSpan& span, int count);

struct Timing {
    double median; // ms
    double p95;    // ms, nearest rank
};

Timing summarise(std::vector<double> milliseconds);
