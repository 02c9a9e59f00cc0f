// What the frame benchmarks share: the scenes' spans of show time, the frame times spread over a
// span, and the median and 95th percentile of a set of timings.
#pragma once

#include <cstdint>
#include <vector>

struct SceneSpan {
    int scene;
    std::uint32_t startMs; // first show time of the scene
    std::uint32_t endMs;   // first show time after it
};

inline constexpr SceneSpan sceneSpans[] = {
    {1, 0, 25000}, {2, 25000, 42000}, {3, 42000, 67000}, {4, 67000, 92000}, {5, 92000, 114800},
};

// `count` show times spread evenly over the span: frame i at start + i * (end - start) / count.
std::vector<std::uint32_t> spreadFrameTimes(const SceneSpan& span, int count);

struct Timing {
    double median; // ms
    double p95;    // ms, nearest rank
};

Timing summarise(std::vector<double> milliseconds);

// Milliseconds since an arbitrary start, from the monotonic clock.
double nowMs();
