// Measuring the soundtrack from the outside: decoding a sound file through ffmpeg, and loudness
// weighted as BS.1770 weights it, computed here from the standard's own filter table rather than
// taken from the code that made the sound.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

constexpr int soundRate = 44100;

// The file's samples as ffmpeg decodes them: stereo at 44.1 kHz, interleaved left, right, full
// scale at +/-1 (float, so a track above full scale stays whole). Empty when ffmpeg fails.
std::vector<double> decodeStereo(const std::string& path);

// One second-order filter section (transposed direct form II), a0 = 1.
struct Biquad {
    double b0, b1, b2, a1, a2;
    double z1 = 0.0, z2 = 0.0;
    double process(double x)
    {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
    // The gain in dB at `frequency` Hz when run at `rate` samples a second.
    double gainDb(double frequency, double rate) const;
};

// The two sections of the K-weighting for a sample rate: the head's shelf (about +4 dB above
// 1.7 kHz) and the high-pass at about 38 Hz. The standard tables them for 48 kHz only; each
// section there is the bilinear image of an analogue second-order section, which is recovered
// from the table and mapped again for `rate`, prewarped so that its corner stays in place.
struct LoudnessWeighting {
    Biquad shelf;
    Biquad highPass;
};
LoudnessWeighting loudnessWeighting(double rate);

// Loudness as BS.1770 measures it: K-weighting, then the mean square over both channels, kept
// for every 100 ms step so that any window of whole steps can be read.
class KWeightedEnergy {
public:
    explicit KWeightedEnergy(const std::vector<double>& interleaved);

    // Loudness in LUFS (ungated) of the window from `from` seconds lasting `seconds`; the part
    // past the end of the sound counts as silence.
    double loudness(double from, double seconds) const;

    // The integrated loudness of the whole sound in LUFS, gated as the standard gates it: 400 ms
    // blocks every 100 ms, those below -70 LUFS left out, then those more than 10 LU below the
    // loudness of the rest.
    double integratedLoudness() const;

    // The loudest short-term (3 s) window that lies wholly between `from` and `to` seconds,
    // stepping by 0.1 s.
    double loudestShortTerm(double from, double to) const;
    // The quietest, likewise.
    double quietestShortTerm(double from, double to) const;

private:
    std::vector<double> stepEnergy_;
};
