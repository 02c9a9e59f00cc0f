// Seeded randomness for the generated data: a small PRNG and periodic gradient noise, so that
// every picture and every noisy sound comes out byte for byte the same on every run.
#pragma once

#include <cstdint>

// SplitMix64: tiny, fast, and fully determined by its seed.
class Random {
public:
    explicit Random(std::uint64_t seed) : state(seed) {}
    std::uint64_t next();
    double uniform(); // [0, 1)
    double bipolar(); // [-1, 1)

private:
    std::uint64_t state;
};

// Gradient noise on a lattice that wraps every `period` cells in x and in y, so that a picture
// sampling one period edge to edge tiles without a seam. Values lie roughly within [-1, 1].
double periodicNoise(double x, double y, int period, std::uint32_t seed);

// Fractal sum of periodic noise: (u, v) in [0, 1) spans one period of every layer; layer i has
// basePeriod * 2^i cells and gain^i of the first layer's weight. Normalised to roughly [-1, 1].
double periodicFbm(double u, double v, int basePeriod, int octaves, double gain, std::uint32_t seed);
