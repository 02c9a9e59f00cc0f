// The sample format shared by the soundtrack's synthesis, mastering and encoding.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

constexpr int sampleRate = 44100;

// Two channels of samples at sampleRate, full scale at +/-1.
struct StereoSignal {
    std::vector<double> left;
    std::vector<double> right;
};

// The frame nearest a time in seconds; times before 0 map to frame 0.
inline std::size_t toFrame(double seconds)
{
    return std::size_t(std::llround(std::max(0.0, seconds) * sampleRate));
}
