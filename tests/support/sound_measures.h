// Measuring the soundtrack from the outside: decoding a sound file through ffmpeg, and loudness
// weighted as BS.1770 weights it, computed here rather than taken from the code that made it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

constexpr int kSoundRate = 44100;

// The file's samples as ffmpeg decodes them: stereo at 44.1 kHz, interleaved left, right, full
// scale at +/-1 (float, so a track above full scale stays whole). Empty when ffmpeg fails.
std::vector<double> decodeStereo(const std::string& path);

// One second-order filter section (transposed direct form II).
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
};

// Loudness as BS.1770 measures it: K-weighting (a +4 dB shelf above about 1.7 kHz and a
// high-pass at about 38 Hz, here derived for 44.1 kHz), then the mean square over both channels,
// kept for every 100 ms step so that any window of whole steps can be read.
class KWeightedEnergy {
public:
    explicit KWeightedEnergy(const std::vector<double>& interleaved);

    // Loudness in LUFS (ungated) of the window from `from` seconds lasting `seconds`; the part
    // past the end of the sound counts as silence.
    double loudness(double from, double seconds) const;

    // The loudest short-term (3 s) window that lies wholly between `from` and `to` seconds,
    // stepping by 0.1 s.
    double loudestShortTerm(double from, double to) const;
    // The quietest, likewise.
    double quietestShortTerm(double from, double to) const;

private:
    std::vector<double> stepEnergy_;
};
