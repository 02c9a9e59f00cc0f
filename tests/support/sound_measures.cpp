#include "support/sound_measures.h"

#include "support/command.h"

#include <algorithm>
#include <cmath>
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

namespace {

constexpr std::size_t kStep = kSoundRate / 10;

Biquad shelfFilter()
{
    const double k = std::tan(M_PI * 1681.974450955533 / kSoundRate);
    const double q = 0.7071752369554196;
    const double vh = std::pow(10.0, 3.999843853973347 / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad highPassFilter()
{
    const double k = std::tan(M_PI * 38.13547087602444 / kSoundRate);
    const double q = 0.5003270373238773;
    const double a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

} // namespace

KWeightedEnergy::KWeightedEnergy(const std::vector<double>& interleaved)
{
    const std::size_t frames = interleaved.size() / 2;
    const std::size_t steps = frames / kStep;
    stepEnergy_.assign(steps, 0.0);
    for (int channel = 0; channel < 2; ++channel) {
        Biquad shelf = shelfFilter();
        Biquad highPass = highPassFilter();
        for (std::size_t s = 0; s < steps; ++s) {
            double sum = 0.0;
            for (std::size_t n = s * kStep; n < (s + 1) * kStep; ++n) {
                const double y = highPass.process(shelf.process(interleaved[2 * n + channel]));
                sum += y * y;
            }
            stepEnergy_[s] += sum;
        }
    }
}

double KWeightedEnergy::loudness(double from, double seconds) const
{
    const std::size_t first = static_cast<std::size_t>(std::llround(std::max(0.0, from) * 10.0));
    const std::size_t count = static_cast<std::size_t>(std::llround(seconds * 10.0));
    double sum = 0.0;
    for (std::size_t s = first; s < std::min(first + count, stepEnergy_.size()); ++s) {
        sum += stepEnergy_[s];
    }
    return -0.691 + 10.0 * std::log10(sum / (count * kStep) + 1e-20);
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
