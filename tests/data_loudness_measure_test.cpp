// The tests' own loudness measure (support/sound_measures) held against the standard's filter
// table and against ffmpeg's EBU R 128 meter, on sounds of known make and on the soundtrack.
#include "app/data_files.h"
#include "support/command.h"
#include "support/sound_measures.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// What ffmpeg's ebur128 filter reports for a file: the integrated loudness of its summary, and
// the short-term loudness of each 100 ms line, by the line's time (in tenths of a second).
struct FfmpegMeter {
    bool read = false;
    double integrated = 0.0;
    std::map<long, double> shortTerm;
    std::string output;
};

FfmpegMeter ffmpegMeter(const std::string& path)
{
    FfmpegMeter meter;
    const CommandResult run = runCommand("ffmpeg -nostats -hide_banner -i '" + path +
                                         "' -af ebur128=framelog=info -f null - 2>&1");
    meter.output = run.output;
    const std::size_t summary = run.output.rfind("Summary:");
    if (run.status != 0 || summary == std::string::npos) {
        return meter;
    }
    const std::size_t integrated = run.output.find("I:", summary);
    if (integrated == std::string::npos) {
        return meter;
    }
    meter.integrated = std::strtod(run.output.c_str() + integrated + 2, nullptr);
    std::istringstream lines(run.output.substr(0, summary));
    std::string line;
    while (std::getline(lines, line)) {
        // "t: 30.1   TARGET:-23 LUFS    M: -12.8 S: -12.9 ...", with no space after the colon
        // before a value of three digits.
        const std::size_t t = line.find(" t:");
        const std::size_t s = line.find(" S:");
        if (t != std::string::npos && s != std::string::npos) {
            const double time = std::strtod(line.c_str() + t + 3, nullptr);
            meter.shortTerm[std::lround(time * 10.0)] = std::strtod(line.c_str() + s + 3, nullptr);
        }
    }
    meter.read = true;
    return meter;
}

// A stereo WAV file of 32-bit float samples at 44.1 kHz, interleaved left, right.
bool writeFloatWav(const std::string& path, const std::vector<float>& interleaved)
{
    std::ofstream out(path, std::ios::binary);
    auto put32 = [&out](std::uint32_t v) {
        const char bytes[4]{char(v & 0xff), char((v >> 8) & 0xff), char((v >> 16) & 0xff), char(v >> 24)};
        out.write(bytes, 4);
    };
    auto put16 = [&out](std::uint16_t v) {
        const char bytes[2]{char(v & 0xff), char(v >> 8)};
        out.write(bytes, 2);
    };
    const std::uint32_t dataBytes = std::uint32_t(interleaved.size() * 4);
    out.write("RIFF", 4);
    put32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(16);
    put16(3); // IEEE float
    put16(2);
    put32(soundRate);
    put32(soundRate * 8);
    put16(8);
    put16(32);
    out.write("data", 4);
    put32(dataBytes);
    out.write(reinterpret_cast<const char*>(interleaved.data()), std::streamsize(dataBytes));
    return bool(out);
}

// A 1 kHz sine in both channels, `peakDb` below full scale for the first `seconds`, then
// `laterDb` below for `laterSeconds` more.
std::vector<float> sine(double peakDb, double seconds, double laterDb = 0.0, double laterSeconds = 0.0)
{
    std::vector<float> samples;
    const long first = std::lround(seconds * soundRate);
    const long all = first + std::lround(laterSeconds * soundRate);
    for (long n = 0; n < all; ++n) {
        const double amplitude = std::pow(10.0, (n < first ? peakDb : laterDb) / 20.0);
        const float v = float(amplitude * std::sin(2.0 * M_PI * 1000.0 * double(n) / soundRate));
        samples.push_back(v);
        samples.push_back(v);
    }
    return samples;
}

TEST(DataLoudnessMeasure, WeightingAt44kHzHasTheResponseOfTheStandardsTable)
{
    // Read back at the table's own rate, the derivation gives the table.
    const LoudnessWeighting at48k = loudnessWeighting(48000.0);
    const Biquad table[2] = {{1.53512485958697, -2.69169618940638, 1.19839281085285, -1.69065929318241, 0.73248077421585},
                             {1.0, -2.0, 1.0, -1.99004745483398, 0.99007225036621}};
    const Biquad derived[2] = {at48k.shelf, at48k.highPass};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i == 0 ? "shelf" : "high-pass");
        EXPECT_NEAR(derived[i].b0, table[i].b0, 1e-9);
        EXPECT_NEAR(derived[i].b1, table[i].b1, 1e-9);
        EXPECT_NEAR(derived[i].b2, table[i].b2, 1e-9);
        EXPECT_NEAR(derived[i].a1, table[i].a1, 1e-9);
        EXPECT_NEAR(derived[i].a2, table[i].a2, 1e-9);
    }

    // At 44.1 kHz the weighting keeps the table's response through the band that carries the
    // loudness; near 1 kHz it is the +0.691 dB that the standard's -0.691 offsets.
    const LoudnessWeighting at44k = loudnessWeighting(soundRate);
    auto gain = [](const LoudnessWeighting& k, double f, double rate) {
        return k.shelf.gainDb(f, rate) + k.highPass.gainDb(f, rate);
    };
    struct Case {
        double frequency;
        double tolerance; // dB
    };
    for (const Case c : {Case{20.0, 0.01}, Case{38.0, 0.01}, Case{100.0, 0.01}, Case{997.0, 0.01},
                         Case{1700.0, 0.02}, Case{4000.0, 0.03}, Case{10000.0, 0.05}}) {
        SCOPED_TRACE(c.frequency);
        EXPECT_NEAR(gain(at44k, c.frequency, soundRate), gain(at48k, c.frequency, 48000.0), c.tolerance);
    }
    EXPECT_NEAR(gain(at44k, 997.0, soundRate), 0.691, 0.01);
    EXPECT_NEAR(gain(at44k, 20.0, soundRate), -13.0, 1.0);
    EXPECT_NEAR(gain(at44k, 10000.0, soundRate), 4.0, 0.1);
}

// Fixtures of known make in a temporary folder: the measure's integrated loudness against
// ffmpeg's, and against the level a sine was written at.
TEST(DataLoudnessMeasure, AgreesWithFfmpegOnMadeSounds)
{
    const TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    struct Case {
        const char* name;
        std::vector<float> samples;       // written as they are, or
        const char* noise;                // made by ffmpeg from this filter graph
        double expected;                  // LUFS, when the make decides it (else NAN)
    };
    const std::string noiseSource = "anoisesrc=d=12:c=white:r=44100:a=0.25:seed=";
    const Case cases[] = {
        {"sine_-20", sine(-20.0, 10.0), nullptr, -20.0},
        {"sine_-6", sine(-6.0, 10.0), nullptr, -6.0},
        // The quiet half lies more than 10 LU below the loud one: the relative gate drops it (it
        // would pull the whole to about -21). Of the 80 blocks kept, the three that straddle the
        // drop hold 3/4, 1/2 and 1/4 of a loud block's energy.
        {"sine_-18_then_-45", sine(-18.0, 8.0, -45.0, 8.0), nullptr, -18.0 + 10.0 * std::log10(78.5 / 80.0)},
        {"noise_low", {}, "1,lowpass=f=120,lowpass=f=120,highpass=f=20", NAN},
        {"noise_high", {}, "2,highpass=f=3000,highpass=f=3000,lowpass=f=16000", NAN},
        {"noise_band", {}, "3,bandpass=f=800:width_type=o:w=2", NAN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.path() + "/" + c.name + ".wav";
        if (c.noise == nullptr) {
            ASSERT_TRUE(writeFloatWav(path, c.samples));
        } else {
            const CommandResult made = runCommand("ffmpeg -v error -f lavfi -i '" + noiseSource + c.noise +
                                                  "' -ac 2 -c:a pcm_f32le '" + path + "' 2>&1");
            ASSERT_EQ(made.status, 0) << made.output;
        }
        const std::vector<double> samples = decodeStereo(path);
        ASSERT_FALSE(samples.empty());
        const double ours = KWeightedEnergy(samples).integratedLoudness();
        const FfmpegMeter theirs = ffmpegMeter(path);
        ASSERT_TRUE(theirs.read) << theirs.output;
        EXPECT_NEAR(ours, theirs.integrated, 0.1); // ffmpeg prints tenths
        if (!std::isnan(c.expected)) {
            EXPECT_NEAR(ours, c.expected, 0.05);
        }
        std::printf("%-20s measure %7.2f LUFS, ffmpeg %7.2f LUFS\n", c.name, ours, theirs.integrated);
    }
}

TEST(DataLoudnessMeasure, AgreesWithFfmpegOnTheSoundtrack)
{
    const std::string soundtrack = dataFilePath(soundtrackFile);
    const std::vector<double> samples = decodeStereo(soundtrack);
    ASSERT_FALSE(samples.empty());
    const KWeightedEnergy energy(samples);
    const FfmpegMeter theirs = ffmpegMeter(soundtrack);
    ASSERT_TRUE(theirs.read) << theirs.output;

    EXPECT_NEAR(energy.integratedLoudness(), theirs.integrated, 0.3);
    std::printf("integrated: measure %.2f LUFS, ffmpeg %.2f LUFS\n", energy.integratedLoudness(), theirs.integrated);
    // ffmpeg's short-term value at t covers the 3 s that end at t.
    for (const long tenths : {300L, 600L, 900L}) {
        SCOPED_TRACE(tenths);
        ASSERT_EQ(theirs.shortTerm.count(tenths), 1u);
        const double ours = energy.loudness(double(tenths) / 10.0 - 3.0, 3.0);
        EXPECT_NEAR(ours, theirs.shortTerm.at(tenths), 0.3);
        std::printf("short-term at %.1f s: measure %.2f LUFS, ffmpeg %.2f LUFS\n", double(tenths) / 10.0, ours,
                    theirs.shortTerm.at(tenths));
    }
}

} // namespace
