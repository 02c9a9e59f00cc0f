// The sample format shared by the soundtrack's synthesis, mastering and encoding.
#pragma once

#include <vector>

constexpr int kSampleRate = 44100;

// Two channels of samples at kSampleRate, full scale at +/-1.
struct StereoSignal {
    std::vector<double> left;
    std::vector<double> right;
};
