#include "support/sound_measures.h"

#include "support/command.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>

std::vector<double> decodeStereo(const std::string& path)
{
    const CommandResult decoded =
        runCommand("ffmpeg -v error -i '" + path + "' -f f32le -acodec pcm_f32le -ac 2 -ar 44100 -");
    if (decoded.status != 0) {
        return {};
    }
    std::vector<double> samples(decoded.output.size() / 4);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        float value;
        std::memcpy(&value, decoded.output.data() + 4 * i, sizeof value);
        samples[i] = value;
    }
    return samples;
}

double Biquad::gainDb(double frequency, double rate) const
{
    const std::complex<double> z1inv = std::polar(1.0, -2.0 * M_PI * frequency / rate);
    const std::complex<double> z2inv = z1inv * z1inv;
    const std::complex<double> h = (b0 + b1 * z1inv + b2 * z2inv) / (1.0 + a1 * z1inv + a2 * z2inv);
    return 20.0 * std::log10(std::abs(h));
}

namespace {

// The standard's table: the two sections at 48 kHz, as published.
constexpr double tableRate = 48000.0;
constexpr Biquad shelfAt48k{1.53512485958697, -2.69169618940638, 1.19839281085285, -1.69065929318241,
                            0.73248077421585};
constexpr Biquad highPassAt48k{1.0, -2.0, 1.0, -1.99004745483398, 0.99007225036621};

// An analogue second-order section in frequency normalised to its corner (p = s / w0):
//   H(p) = (n2 p^2 + n1 p + n0) / (p^2 + p / q + 1), with the corner at `corner` Hz.
struct AnalogueSection {
    double n2, n1, n0, q, corner;
};

// The bilinear transform prewarped at the corner maps p to (1 - 1/z) / (k (1 + 1/z)) with
// k = tan(pi corner / rate). Multiplying through by k^2 (1 + 1/z)^2 gives, in powers of 1/z,
//   numerator   n2 + n1 k + n0 k^2,  2 (n0 k^2 - n2),  n2 - n1 k + n0 k^2
//   denominator 1 + k / q + k^2,     2 (k^2 - 1),       1 - k / q + k^2
Biquad digital(const AnalogueSection& s, double rate)
{
    const double k = std::tan(M_PI * s.corner / rate);
    const double d0 = 1.0 + k / s.q + k * k;
    return {(s.n2 + s.n1 * k + s.n0 * k * k) / d0, 2.0 * (s.n0 * k * k - s.n2) / d0,
            (s.n2 - s.n1 * k + s.n0 * k * k) / d0, 2.0 * (k * k - 1.0) / d0, (1.0 - k / s.q + k * k) / d0};
}

// The same mapping read backwards. With the denominator above divided by d0:
//   1 - a1 + a2 = 4 / d0,  1 + a1 + a2 = 4 k^2 / d0,  1 - a2 = 2 (k / q) / d0
// and the numerator times d0 gives the sums b0 - b1 + b2 = 4 n2 / d0, b0 + b1 + b2 = 4 n0 k^2 / d0
// and the difference b0 - b2 = 2 n1 k / d0.
AnalogueSection analogue(const Biquad& b, double rate)
{
    const double d0 = 4.0 / (1.0 - b.a1 + b.a2);
    const double k = std::sqrt((1.0 + b.a1 + b.a2) / (1.0 - b.a1 + b.a2));
    const double damping = (1.0 - b.a2) * d0 / 2.0;
    return {d0 * (b.b0 - b.b1 + b.b2) / 4.0, d0 * (b.b0 - b.b2) / (2.0 * k),
            d0 * (b.b0 + b.b1 + b.b2) / (4.0 * k * k), k / damping, std::atan(k) * rate / M_PI};
}

constexpr std::size_t stepFrames = soundRate / 10;

} // namespace

LoudnessWeighting loudnessWeighting(double rate)
{
    return {digital(analogue(shelfAt48k, tableRate), rate), digital(analogue(highPassAt48k, tableRate), rate)};
}

KWeightedEnergy::KWeightedEnergy(const std::vector<double>& interleaved)
{
    const std::size_t frames = interleaved.size() / 2;
    const std::size_t steps = frames / stepFrames;
    const LoudnessWeighting weighting = loudnessWeighting(soundRate);
    stepEnergy_.assign(steps, 0.0);
    for (int channel = 0; channel < 2; ++channel) {
        Biquad shelf = weighting.shelf;
        Biquad highPass = weighting.highPass;
        for (std::size_t s = 0; s < steps; ++s) {
            double sum = 0.0;
            for (std::size_t n = s * stepFrames; n < (s + 1) * stepFrames; ++n) {
                const double y = highPass.process(shelf.process(interleaved[2 * n + channel]));
                sum += y * y;
            }
            stepEnergy_[s] += sum;
        }
    }
}

namespace {

double lufs(double meanSquare)
{
    return -0.691 + 10.0 * std::log10(meanSquare + 1e-20);
}

} // namespace

double KWeightedEnergy::loudness(double from, double seconds) const
{
    const std::size_t first = static_cast<std::size_t>(std::llround(std::max(0.0, from) * 10.0));
    const std::size_t count = static_cast<std::size_t>(std::llround(seconds * 10.0));
    double sum = 0.0;
    for (std::size_t s = first; s < std::min(first + count, stepEnergy_.size()); ++s) {
        sum += stepEnergy_[s];
    }
    return lufs(sum / double(count * stepFrames));
}

double KWeightedEnergy::integratedLoudness() const
{
    std::vector<double> blocks; // each block's mean square
    for (std::size_t s = 0; s + 4 <= stepEnergy_.size(); ++s) {
        blocks.push_back((stepEnergy_[s] + stepEnergy_[s + 1] + stepEnergy_[s + 2] + stepEnergy_[s + 3]) /
                         double(4 * stepFrames));
    }
    auto gatedMean = [&blocks](double threshold) {
        double sum = 0.0;
        std::size_t count = 0;
        for (double block : blocks) {
            if (lufs(block) > threshold) {
                sum += block;
                ++count;
            }
        }
        return count == 0 ? 0.0 : sum / double(count);
    };
    const double relativeGate = lufs(gatedMean(-70.0)) - 10.0;
    return lufs(gatedMean(std::max(-70.0, relativeGate)));
}

double KWeightedEnergy::loudestShortTerm(double from, double to) const
{
    double loudest = -100.0;
    for (double t = from; t + 3.0 <= to + 1e-9; t += 0.1) {
        loudest = std::max(loudest, loudness(t, 3.0));
    }
    return loudest;
}

double KWeightedEnergy::quietestShortTerm(double from, double to) const
{
    double quietest = 100.0;
    for (double t = from; t + 3.0 <= to + 1e-9; t += 0.1) {
        quietest = std::min(quietest, loudness(t, 3.0));
    }
    return quietest;
}
