// The soundtrack makedata writes, decoded by ffmpeg (not the encoder that wrote it) and checked
// against the show's schedule and arc; and the makedata program itself: its errors and
// repeatable output.
#include "app/data_files.h"
#include "app/timeline.h"
#include "support/command.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kRate = 44100;
constexpr double kShowEnd = showEndMs / 1000.0;
const std::string kSoundtrack = dataFilePath(soundtrackFile);
const std::string kMakedata = std::string(SHOW_BUILD_DIR) + "/data/makedata";

std::vector<const char*> dataFiles()
{
    std::vector<const char*> files{soundtrackFile};
    for (const ShowPicture& picture : showPictures) {
        files.push_back(picture.file);
    }
    return files;
}

std::vector<std::uint8_t> readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The decoded soundtrack, shared by the tests of the suite: decoding takes a moment.
class DataSoundtrack : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const CommandResult decoded = runCommand("ffmpeg -v error -i " + kSoundtrack + " -f s16le -acodec pcm_s16le -");
        ASSERT_EQ(decoded.status, 0);
        samples_.resize(decoded.output.size() / 2);
        for (std::size_t i = 0; i < samples_.size(); ++i) {
            const auto lo = static_cast<std::uint8_t>(decoded.output[2 * i]);
            const auto hi = static_cast<std::uint8_t>(decoded.output[2 * i + 1]);
            samples_[i] = static_cast<std::int16_t>(lo | (hi << 8)) / 32768.0;
        }
    }

    static double seconds() { return samples_.size() / 2.0 / kRate; }

    // Level of both channels from `from` to `to` seconds, in dB below full scale, after an
    // optional one-pole filter: 0 = none, positive = low-pass at that cutoff, negative =
    // high-pass at minus that cutoff.
    static double levelDb(double from, double to, double filterHz = 0.0)
    {
        const std::size_t first = static_cast<std::size_t>(from * kRate);
        const std::size_t last = std::min(samples_.size() / 2, static_cast<std::size_t>(to * kRate));
        const double k = 1.0 - std::exp(-2.0 * M_PI * std::fabs(filterHz) / kRate);
        double lowLeft = 0.0;
        double lowRight = 0.0;
        double sum = 0.0;
        for (std::size_t n = first; n < last; ++n) {
            double left = samples_[2 * n];
            double right = samples_[2 * n + 1];
            if (filterHz != 0.0) {
                lowLeft += (left - lowLeft) * k;
                lowRight += (right - lowRight) * k;
                left = filterHz > 0.0 ? lowLeft : left - lowLeft;
                right = filterHz > 0.0 ? lowRight : right - lowRight;
            }
            sum += left * left + right * right;
        }
        return 10.0 * std::log10(sum / (2.0 * (last - first)) + 1e-20);
    }

    static std::vector<double> samples_; // interleaved left, right
};

std::vector<double> DataSoundtrack::samples_;

TEST_F(DataSoundtrack, IsAStereo44100Mp3OpeningWithAFilledLameTag)
{
    const CommandResult probe = runCommand("ffprobe -v error -select_streams a:0 -show_entries "
                                           "stream=codec_name,sample_rate,channels -of default=nw=1 " + kSoundtrack);
    ASSERT_EQ(probe.status, 0);
    EXPECT_NE(probe.output.find("codec_name=mp3"), std::string::npos) << probe.output;
    EXPECT_NE(probe.output.find("sample_rate=44100"), std::string::npos) << probe.output;
    EXPECT_NE(probe.output.find("channels=2"), std::string::npos) << probe.output;

    // An MPEG-1 Layer III frame first, carrying the Info tag after its 32 bytes of side
    // information, with the real frame count: a placeholder left in place would count zero,
    // and decoders would then misreport the length and keep the encoder's delay.
    const std::vector<std::uint8_t> bytes = readBytes(kSoundtrack);
    ASSERT_GE(bytes.size(), 200u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1] & 0xFE, 0xFA) << "frame sync, MPEG-1, Layer III";
    const std::string tag(bytes.begin() + 36, bytes.begin() + 40);
    EXPECT_TRUE(tag == "Info" || tag == "Xing") << tag;
    ASSERT_TRUE(bytes[43] & 1) << "frame count present";
    const std::uint32_t frames = (bytes[44] << 24) | (bytes[45] << 16) | (bytes[46] << 8) | bytes[47];
    EXPECT_GE(frames * 1152.0 / kRate, kShowEnd);
    EXPECT_EQ(std::string(bytes.begin() + 156, bytes.begin() + 160), "LAME");
}

TEST_F(DataSoundtrack, PlaysTheWholeShowAndIsSilentAfterItsEnd)
{
    EXPECT_GE(seconds(), kShowEnd);
    EXPECT_LE(seconds(), kShowEnd + 5.0);
    EXPECT_LT(levelDb(kShowEnd + 0.05, seconds()), -60.0);
}

TEST_F(DataSoundtrack, NoPartOfTheShowIsSilent)
{
    struct Span {
        double from;
        double to;
        const char* what;
    };
    constexpr Span kSpans[] = {
        {0.0, 20.0, "scene 1 before its fade"}, {0.0, 25.0, "scene 1"},  {25.0, 42.0, "scene 2"},
        {42.0, 67.0, "scene 3"},                {67.0, 92.0, "scene 4"}, {92.0, 105.0, "scene 5 before the build"},
        {105.0, 112.0, "the build"},            {112.0, kShowEnd, "the closing chord"},
    };
    for (const Span& span : kSpans) {
        EXPECT_GT(levelDb(span.from, span.to), -35.0) << span.what;
    }
    // Nor any two seconds of it, scene 1's quiet start and fade included.
    for (double t = 0.0; t + 2.0 <= kShowEnd; t += 1.0) {
        EXPECT_GT(levelDb(t, t + 2.0), -48.0) << "from " << t << " s";
    }
}

TEST_F(DataSoundtrack, LoudnessAndTruePeakAreInRange)
{
    const CommandResult meter =
        runCommand("ffmpeg -nostats -hide_banner -i " + kSoundtrack + " -filter_complex ebur128=peak=true -f null - 2>&1");
    ASSERT_EQ(meter.status, 0) << meter.output.substr(0, 2000);
    const std::size_t summary = meter.output.rfind("Summary:");
    ASSERT_NE(summary, std::string::npos);
    const std::size_t integrated = meter.output.find("I:", summary);
    const std::size_t peak = meter.output.find("Peak:", summary);
    ASSERT_NE(integrated, std::string::npos);
    ASSERT_NE(peak, std::string::npos);
    const double lufs = std::strtod(meter.output.c_str() + integrated + 2, nullptr);
    const double dbtp = std::strtod(meter.output.c_str() + peak + 5, nullptr);
    EXPECT_NEAR(lufs, -14.0, 1.0);
    EXPECT_LT(dbtp, -1.0);
}

TEST_F(DataSoundtrack, LevelOrSpectrumChangesWhereTheScenesChange)
{
    struct Change {
        double at;
        const char* what;
    };
    constexpr Change kChanges[] = {{25.0, "the beat enters with scene 2"}, {92.0, "scene 5 begins"}};
    for (const Change& change : kChanges) {
        SCOPED_TRACE(change.what);
        // Windows clear of the change itself, where a cymbal or a reverb tail may still ring.
        const double before = change.at - 4.0;
        const double after = change.at + 1.0;
        // Whole band, below 150 Hz, above 3 kHz: a change in any of them is heard.
        double largest = 0.0;
        for (const double filterHz : {0.0, 150.0, -3000.0}) {
            const double difference = levelDb(after, after + 3.5, filterHz) - levelDb(before, before + 3.5, filterHz);
            largest = std::max(largest, std::fabs(difference));
        }
        EXPECT_GE(largest, 6.0);
    }
}

// Loudness as BS.1770 measures it: K-weighting (a +4 dB shelf above about 1.7 kHz and a
// high-pass at about 38 Hz, here derived for 44.1 kHz), then the mean square over both channels.
class KWeightedEnergy {
public:
    explicit KWeightedEnergy(const std::vector<double>& interleaved)
    {
        const std::size_t frames = interleaved.size() / 2;
        // Energy summed over 100 ms steps; windows are whole numbers of steps.
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

    // Loudness in LUFS of the window from `from` seconds lasting `seconds`.
    double loudness(double from, double seconds) const
    {
        const std::size_t first = static_cast<std::size_t>(std::llround(from * 10.0));
        const std::size_t count = static_cast<std::size_t>(std::llround(seconds * 10.0));
        double sum = 0.0;
        for (std::size_t s = first; s < std::min(first + count, stepEnergy_.size()); ++s) {
            sum += stepEnergy_[s];
        }
        return -0.691 + 10.0 * std::log10(sum / (count * kStep) + 1e-20);
    }

    // The loudest short-term (3 s) window that lies wholly between `from` and `to` seconds.
    double loudestShortTerm(double from, double to) const
    {
        double loudest = -100.0;
        for (double t = from; t + 3.0 <= to + 1e-9; t += 0.1) {
            loudest = std::max(loudest, loudness(t, 3.0));
        }
        return loudest;
    }

private:
    static constexpr std::size_t kStep = kRate / 10;
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
    static Biquad shelfFilter()
    {
        const double k = std::tan(M_PI * 1681.974450955533 / kRate);
        const double q = 0.7071752369554196;
        const double vh = std::pow(10.0, 3.999843853973347 / 20.0);
        const double vb = std::pow(vh, 0.4996667741545416);
        const double a0 = 1.0 + k / q + k * k;
        return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
                2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
    }
    static Biquad highPassFilter()
    {
        const double k = std::tan(M_PI * 38.13547087602444 / kRate);
        const double q = 0.5003270373238773;
        const double a0 = 1.0 + k / q + k * k;
        return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
    }
    std::vector<double> stepEnergy_;
};

TEST_F(DataSoundtrack, LoudestAsTheRingClosesInAndQuieterOnEitherSide)
{
    const KWeightedEnergy energy(samples_);
    const double peak = energy.loudestShortTerm(105.0, 109.0);
    struct Span {
        double from;
        double to;
        double below; // LU the span's loudest 3 s stay under the peak
        const char* fault;
    };
    constexpr Span kSpans[] = {
        {0.0, 25.0, 4.0, "scene 1 as loud as the peak: the show starts at the top"},
        {42.0, 67.0, 2.0, "scene 3 within 2 LU of the peak: the music builds but does not arrive"},
        {67.0, 92.0, 2.0, "scene 4 within 2 LU of the peak: the music builds but does not arrive"},
        {92.0, 104.0, 3.0, "the breakdown as loud as the peak: no build"},
    };
    for (const Span& span : kSpans) {
        EXPECT_GE(peak - energy.loudestShortTerm(span.from, span.to), span.below) << span.fault;
    }
    // The closing chord resolves the peak rather than topping it.
    EXPECT_LE(energy.loudness(112.0, 2.5), peak) << "the closing chord louder than the peak";
    EXPECT_GE(energy.loudness(112.0, 2.5), peak - 8.0) << "the closing chord lost in a fade";
}

// The theme: four bars of notes as (beat, beats, MIDI pitch), and where the show plays it.
struct ThemeNote {
    double beat;
    double beats;
    int pitch;
};
constexpr ThemeNote kTheme[] = {
    {0, 1.5, 76}, {1.5, 0.5, 72}, {2, 0.5, 74}, {2.5, 1.5, 76}, {4, 1, 81}, {5, 0.5, 79}, {5.5, 0.5, 77},
    {6, 2, 76},   {8, 1, 72},     {9, 0.5, 74}, {9.5, 0.5, 76}, {10, 1, 79}, {11, 1, 76},
};

struct ThemePlace {
    double start;       // seconds
    double beatSeconds; // 1 for half speed
    const char* where;
};

// The strength of each of the twelve pitch classes from `from` to `to` seconds: Goertzel
// filters on every semitone from A3 to B6, folded into one octave, over the mono sum.
std::array<double, 12> chroma(const std::vector<double>& interleaved, double from, double to)
{
    std::array<double, 12> classes{};
    const std::size_t first = static_cast<std::size_t>(from * kRate);
    const std::size_t last = std::min(interleaved.size() / 2, static_cast<std::size_t>(to * kRate));
    for (int pitch = 57; pitch <= 95; ++pitch) {
        const double hz = 440.0 * std::pow(2.0, (pitch - 69) / 12.0);
        const double coefficient = 2.0 * std::cos(2.0 * M_PI * hz / kRate);
        double s1 = 0.0;
        double s2 = 0.0;
        for (std::size_t n = first; n < last; ++n) {
            const double x = interleaved[2 * n] + interleaved[2 * n + 1];
            const double s0 = x + coefficient * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        classes[pitch % 12] += std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - coefficient * s1 * s2));
    }
    return classes;
}

// How well the music at `place` follows a melody: for each note, its pitch class's share of
// the strongest class over the note's first moments, averaged. `transpose` moves the melody.
double themeMatch(const std::vector<double>& interleaved, const ThemePlace& place, int transpose)
{
    double sum = 0.0;
    for (const ThemeNote& note : kTheme) {
        const double start = place.start + note.beat * place.beatSeconds;
        const double length = std::min(note.beats * place.beatSeconds, 0.5);
        const std::array<double, 12> classes = chroma(interleaved, start + 0.03, start + length);
        const double strongest = *std::max_element(classes.begin(), classes.end());
        sum += classes[(note.pitch + transpose) % 12] / std::max(strongest, 1e-12);
    }
    return sum / std::size(kTheme);
}

TEST_F(DataSoundtrack, TheThemeIsHeardInSceneOneInSceneFourAndOverTheBuild)
{
    constexpr ThemePlace kPlaces[] = {
        {4.0, 1.0, "scene 1, at half speed"},
        {67.0, 0.5, "scene 4, first statement"},
        {83.0, 0.5, "scene 4, third statement"},
        {105.0, 0.5, "the build"},
    };
    for (const ThemePlace& place : kPlaces) {
        SCOPED_TRACE(place.where);
        const double match = themeMatch(samples_, place, 0);
        // The same windows against the theme moved by a tritone: what chords alone would give.
        const double moved = themeMatch(samples_, place, 6);
        EXPECT_GE(match, 0.6) << "the theme's notes are not the strongest pitches while it plays";
        EXPECT_GE(match - moved, 0.3) << "the theme does not stand out from the harmony";
    }
}

// The build's data folder was written by a run of its own: one more run, compared with it, shows
// that every run writes the same bytes.
TEST(DataMakedata, ARunWritesTheBuildsOwnBytesAndNothingElse)
{
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    const fs::path written = fs::path(folder.path()) / dataFolderName;
    const CommandResult run = runCommand(kMakedata + " " + written.string() + " 2>&1");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "") << "silent on success";
    std::size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(written)) {
        ++entries;
        EXPECT_FALSE(entry.path().extension() == ".partial") << entry.path();
    }
    EXPECT_EQ(entries, dataFiles().size());
    for (const char* name : dataFiles()) {
        const std::vector<std::uint8_t> a = readBytes(written / name);
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_TRUE(a == readBytes(fs::path(SHOW_BUILD_DIR) / dataFolderName / name))
            << name << " differs from the build's own run";
    }
}

TEST(DataMakedata, FailsWithOneLineAndNonZeroStatusWritingNothing)
{
    TempFolder scratch;
    ASSERT_FALSE(scratch.path().empty());
    const fs::path blocker = fs::path(scratch.path()) / "a-file";
    std::ofstream(blocker) << "not a folder";
    struct Case {
        std::string arguments;
        const char* fault;
    };
    const Case kCases[] = {
        {"", "no output folder"},
        {"one two", "two output folders"},
        {(blocker / "iroiro").string(), "output folder under a regular file"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.fault);
        const CommandResult run = runCommand(kMakedata + " " + c.arguments + " 2>&1");
        EXPECT_NE(run.status, 0);
        ASSERT_FALSE(run.output.empty());
        EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
    }
    EXPECT_FALSE(fs::exists("one")) << "a usage error writes nothing";
}

} // namespace
