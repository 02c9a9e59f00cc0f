// Mastering of the finished mix: BS.1770 loudness, 4x-oversampled true peaks and a look-ahead
// limiter, iterated until the limited mix sits at the target loudness.
#include "data/mastering.h"

#include "data/maths.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace {

struct Biquad {
    double b0, b1, b2, a1, a2;
    double z1 = 0.0;
    double z2 = 0.0;
    double process(double x)
    {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// The two K-weighting stages of BS.1770, derived for this sample rate from the analogue
// prototypes behind the standard's 48 kHz coefficients: a +4 dB high shelf, then a high-pass.
Biquad kWeightingShelf()
{
    const double k = std::tan(pi * 1681.974450955533 / sampleRate);
    const double q = 0.7071752369554196;
    const double vh = std::pow(10.0, 3.999843853973347 / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad kWeightingHighPass()
{
    const double k = std::tan(pi * 38.13547087602444 / sampleRate);
    const double q = 0.5003270373238773;
    const double a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

double loudnessOf(double meanSquare)
{
    return -0.691 + 10.0 * std::log10(meanSquare);
}

double integratedLoudness(const StereoSignal& signal)
{
    // Mean squares of 100 ms steps; a 400 ms gating block is four consecutive steps.
    const std::size_t step = sampleRate / 10;
    const std::size_t steps = signal.left.size() / step;
    std::vector<double> stepEnergy(steps, 0.0);
    for (const std::vector<double>* channel : {&signal.left, &signal.right}) {
        Biquad shelf = kWeightingShelf();
        Biquad highPass = kWeightingHighPass();
        for (std::size_t s = 0; s < steps; ++s) {
            double sum = 0.0;
            for (std::size_t n = s * step; n < (s + 1) * step; ++n) {
                const double y = highPass.process(shelf.process((*channel)[n]));
                sum += y * y;
            }
            stepEnergy[s] += sum;
        }
    }
    std::vector<double> blocks;
    for (std::size_t s = 0; s + 4 <= steps; ++s) {
        const double meanSquare = (stepEnergy[s] + stepEnergy[s + 1] + stepEnergy[s + 2] + stepEnergy[s + 3]) / (4.0 * step);
        if (meanSquare > 0.0 && loudnessOf(meanSquare) > -70.0)
            blocks.push_back(meanSquare);
    }
    if (blocks.empty())
        return -70.0;
    double sum = 0.0;
    for (double b : blocks)
        sum += b;
    const double relativeGate = loudnessOf(sum / blocks.size()) - 10.0;
    double gatedSum = 0.0;
    std::size_t gatedCount = 0;
    for (double b : blocks) {
        if (loudnessOf(b) > relativeGate) {
            gatedSum += b;
            ++gatedCount;
        }
    }
    return loudnessOf(gatedSum / gatedCount);
}

// For every frame, the largest magnitude over both channels at the sample itself and at the
// three points a 4x oversampler would insert after it (windowed-sinc interpolation).
std::vector<double> truePeakEnvelope(const StereoSignal& signal)
{
    constexpr int tapCount = 16; // x[n - 7] .. x[n + 8]
    constexpr int phaseCount = 3;
    double taps[phaseCount][tapCount];
    for (int p = 0; p < phaseCount; ++p) {
        const double fraction = (p + 1) / 4.0;
        double sum = 0.0;
        for (int k = 0; k < tapCount; ++k) {
            const double x = (k - 7) - fraction;
            const double sinc = std::sin(pi * x) / (pi * x);
            const double u = x / 8.5;
            const double window = 0.42 + 0.5 * std::cos(pi * u) + 0.08 * std::cos(2.0 * pi * u);
            taps[p][k] = sinc * window;
            sum += taps[p][k];
        }
        for (double& t : taps[p])
            t /= sum;
    }
    const std::size_t frames = signal.left.size();
    std::vector<double> peaks(frames, 0.0);
    for (const std::vector<double>* channel : {&signal.left, &signal.right}) {
        const std::vector<double>& x = *channel;
        for (std::size_t n = 0; n < frames; ++n) {
            double peak = std::fabs(x[n]);
            if (n >= 7 && n + 8 < frames) {
                for (const auto& phase : taps) {
                    double value = 0.0;
                    for (int k = 0; k < tapCount; ++k)
                        value += phase[k] * x[n + k - 7];
                    peak = std::max(peak, std::fabs(value));
                }
            }
            peaks[n] = std::max(peaks[n], peak);
        }
    }
    return peaks;
}

// Gain per frame that keeps gain * peak at or below the ceiling. Each frame's requirement is
// spread over a window of +/- lookAhead frames by a sliding minimum, released slowly, and then
// averaged over the same window: the average at a peak only takes values whose minimum already
// saw that peak, so the ceiling holds while the gain moves smoothly.
std::vector<double> limiterGains(const std::vector<double>& peaks, double gain, double ceiling)
{
    constexpr std::size_t lookAhead = 66; // 1.5 ms
    const std::size_t frames = peaks.size();
    std::vector<double> required(frames);
    for (std::size_t n = 0; n < frames; ++n) {
        const double level = gain * peaks[n];
        required[n] = level > ceiling ? ceiling / level : 1.0;
    }

    std::vector<double> held(frames);
    std::deque<std::size_t> window; // indices with increasing requirement
    std::size_t next = 0;
    for (std::size_t n = 0; n < frames; ++n) {
        for (; next < frames && next <= n + lookAhead; ++next) {
            while (!window.empty() && required[window.back()] >= required[next])
                window.pop_back();
            window.push_back(next);
        }
        while (window.front() + lookAhead < n)
            window.pop_front();
        held[n] = required[window.front()];
    }

    const double release = std::exp(-1.0 / (0.08 * sampleRate));
    for (std::size_t n = 1; n < frames; ++n)
        held[n] = std::min(held[n], 1.0 - (1.0 - held[n - 1]) * release);

    std::vector<double> gains(frames);
    double sum = 0.0;
    std::size_t lo = 0;
    std::size_t hi = 0; // running sum covers held[lo, hi)
    for (std::size_t n = 0; n < frames; ++n) {
        for (; hi < frames && hi <= n + lookAhead; ++hi)
            sum += held[hi];
        for (; lo + lookAhead < n; ++lo)
            sum -= held[lo];
        gains[n] = sum / double(hi - lo);
    }
    return gains;
}

} // namespace

double masterToLoudness(StereoSignal& signal, double targetLufs, double ceilingDbtp)
{
    const double ceiling = std::pow(10.0, ceilingDbtp / 20.0);
    const std::vector<double> peaks = truePeakEnvelope(signal);
    double gain = std::pow(10.0, (targetLufs - integratedLoudness(signal)) / 20.0);
    StereoSignal out;
    // Limiting takes some loudness back, so the gain is corrected against the limited result
    // until it settles.
    for (int pass = 0;; ++pass) {
        const std::vector<double> gains = limiterGains(peaks, gain, ceiling);
        out = signal;
        for (std::size_t n = 0; n < gains.size(); ++n) {
            out.left[n] *= gain * gains[n];
            out.right[n] *= gain * gains[n];
        }
        const double error = targetLufs - integratedLoudness(out);
        if (pass == 4 || std::fabs(error) < 0.01)
            break;
        gain *= std::pow(10.0, error / 20.0);
    }
    // Gain moving between samples can lift an interpolated peak a hair above the ceiling.
    const std::vector<double> finalPeaks = truePeakEnvelope(out);
    const double highest = *std::max_element(finalPeaks.begin(), finalPeaks.end());
    if (highest > ceiling) {
        for (std::vector<double>* channel : {&out.left, &out.right}) {
            for (double& v : *channel)
                v *= ceiling / highest;
        }
        gain *= ceiling / highest;
    }
    signal = std::move(out);
    return gain;
}
