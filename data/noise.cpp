// Seeded randomness for the generated data: SplitMix64 and periodic gradient noise.
#include "data/noise.h"

#include <cmath>

std::uint64_t Random::next()
{
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Random::uniform()
{
    // The top 53 bits fill a double's mantissa exactly.
    return double(next() >> 11) * (1.0 / 9007199254740992.0);
}

double Random::bipolar()
{
    return uniform() * 2.0 - 1.0;
}

namespace {

// Eight unit gradients; a fixed table keeps the lattice free of per-run trigonometry.
constexpr double gradients[8][2] = {
    {1.0, 0.0}, {-1.0, 0.0}, {0.0, 1.0}, {0.0, -1.0},
    {0.70710678118654752, 0.70710678118654752}, {-0.70710678118654752, 0.70710678118654752},
    {0.70710678118654752, -0.70710678118654752}, {-0.70710678118654752, -0.70710678118654752},
};

std::uint32_t hashCorner(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = seed ^ (std::uint32_t(x) * 0x8DA6B343u)
                      ^ (std::uint32_t(y) * 0xD8163841u);
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

double cornerDot(int cx, int cy, int period, double dx, double dy, std::uint32_t seed)
{
    const double* g = gradients[hashCorner(cx % period, cy % period, seed) & 7u];
    return g[0] * dx + g[1] * dy;
}

double fade(double t)
{
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

int wrap(int i, int period)
{
    const int m = i % period;
    return m < 0 ? m + period : m;
}

} // namespace

double periodicNoise(double x, double y, int period, std::uint32_t seed)
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int x0 = wrap(int(fx), period);
    const int y0 = wrap(int(fy), period);
    const double dx = x - fx;
    const double dy = y - fy;
    const double n00 = cornerDot(x0, y0, period, dx, dy, seed);
    const double n10 = cornerDot(x0 + 1, y0, period, dx - 1.0, dy, seed);
    const double n01 = cornerDot(x0, y0 + 1, period, dx, dy - 1.0, seed);
    const double n11 = cornerDot(x0 + 1, y0 + 1, period, dx - 1.0, dy - 1.0, seed);
    const double u = fade(dx);
    const double v = fade(dy);
    const double top = n00 + (n10 - n00) * u;
    const double bottom = n01 + (n11 - n01) * u;
    // Two-dimensional gradient noise peaks near 0.7; scale it to use the whole range.
    return (top + (bottom - top) * v) * 1.41421356;
}

double periodicFbm(double u, double v, int basePeriod, int octaves, double gain, std::uint32_t seed)
{
    double sum = 0.0;
    double weight = 1.0;
    double total = 0.0;
    int period = basePeriod;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * periodicNoise(u * period, v * period, period, seed + 977u * std::uint32_t(i));
        total += weight;
        weight *= gain;
        period *= 2;
    }
    return sum / total;
}
