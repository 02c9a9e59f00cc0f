// The soundtrack makedata writes, decoded by ffmpeg (not the encoder that wrote it) and checked
// against the show's schedule and arc; and the makedata program itself: its errors and
// repeatable output.
#include "app/data_files.h"
#include "app/timeline.h"
#include "app/visual_events.h"
#include "support/command.h"
#include "support/sound_measures.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
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

constexpr int rate = soundRate;
constexpr double showEnd = showEndMs / 1000.0;
const std::string soundtrackPath = dataFilePath(soundtrackFile);
const std::string makedataPath = std::string(SHOW_BUILD_DIR) + "/data/makedata";

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

// The summary of ffmpeg's EBU R 128 meter over a whole file: its gated integrated loudness and
// true peak.
struct Ebur128 {
    bool read = false;
    double integratedLufs = 0.0;
    double truePeakDbtp = 0.0;
    std::string output;
};

Ebur128 ebur128(const std::string& path)
{
    Ebur128 meter;
    const CommandResult run =
        runCommand("ffmpeg -nostats -hide_banner -i '" + path + "' -filter_complex ebur128=peak=true -f null - 2>&1");
    meter.output = run.output;
    const std::size_t summary = run.output.rfind("Summary:");
    if (run.status != 0 || summary == std::string::npos) {
        return meter;
    }
    const std::size_t integrated = run.output.find("I:", summary);
    const std::size_t peak = run.output.find("Peak:", summary);
    if (integrated == std::string::npos || peak == std::string::npos) {
        return meter;
    }
    meter.integratedLufs = std::strtod(run.output.c_str() + integrated + 2, nullptr);
    meter.truePeakDbtp = std::strtod(run.output.c_str() + peak + 5, nullptr);
    meter.read = true;
    return meter;
}

// The decoded soundtrack, shared by the tests of the suite: decoding takes a moment.
class DataSoundtrack : public ::testing::Test {
protected:
    static void SetUpTestSuite() { samples_ = decodeStereo(soundtrackPath); }

    void SetUp() override { ASSERT_FALSE(samples_.empty()) << "ffmpeg could not decode " << soundtrackPath; }

    static double seconds() { return samples_.size() / 2.0 / rate; }

    // Level of both channels from `from` to `to` seconds, in dB below full scale, after an
    // optional one-pole filter: 0 = none, positive = low-pass at that cutoff, negative =
    // high-pass at minus that cutoff.
    static double levelDb(double from, double to, double filterHz = 0.0)
    {
        const std::size_t first = static_cast<std::size_t>(from * rate);
        const std::size_t last = std::min(samples_.size() / 2, static_cast<std::size_t>(to * rate));
        const double k = 1.0 - std::exp(-2.0 * M_PI * std::fabs(filterHz) / rate);
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
                                           "stream=codec_name,sample_rate,channels -of default=nw=1 " + soundtrackPath);
    ASSERT_EQ(probe.status, 0);
    EXPECT_NE(probe.output.find("codec_name=mp3"), std::string::npos) << probe.output;
    EXPECT_NE(probe.output.find("sample_rate=44100"), std::string::npos) << probe.output;
    EXPECT_NE(probe.output.find("channels=2"), std::string::npos) << probe.output;

    // An MPEG-1 Layer III frame first, carrying the Info tag after its 32 bytes of side
    // information, with the real frame count: a placeholder left in place would count zero,
    // and decoders would then misreport the length and keep the encoder's delay.
    const std::vector<std::uint8_t> bytes = readBytes(soundtrackPath);
    ASSERT_GE(bytes.size(), 200u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1] & 0xFE, 0xFA) << "frame sync, MPEG-1, Layer III";
    const std::string tag(bytes.begin() + 36, bytes.begin() + 40);
    EXPECT_TRUE(tag == "Info" || tag == "Xing") << tag;
    ASSERT_TRUE(bytes[43] & 1) << "frame count present";
    const std::uint32_t frames = (bytes[44] << 24) | (bytes[45] << 16) | (bytes[46] << 8) | bytes[47];
    EXPECT_GE(frames * 1152.0 / rate, showEnd);
    EXPECT_EQ(std::string(bytes.begin() + 156, bytes.begin() + 160), "LAME");
}

TEST_F(DataSoundtrack, PlaysTheWholeShowAndIsSilentAfterItsEnd)
{
    EXPECT_GE(seconds(), showEnd);
    EXPECT_LE(seconds(), showEnd + 5.0);
    EXPECT_LT(levelDb(showEnd + 0.05, seconds()), -60.0);
}

TEST_F(DataSoundtrack, NoPartOfTheShowIsSilent)
{
    struct Span {
        double from;
        double to;
        const char* what;
    };
    constexpr Span spans[] = {
        {0.0, 20.0, "scene 1 before its fade"}, {0.0, 25.0, "scene 1"},  {25.0, 42.0, "scene 2"},
        {42.0, 67.0, "scene 3"},                {67.0, 92.0, "scene 4"}, {92.0, 105.0, "scene 5 before the build"},
        {105.0, 112.0, "the build"},            {112.0, showEnd, "the closing chord"},
    };
    for (const Span& span : spans) {
        EXPECT_GT(levelDb(span.from, span.to), -35.0) << span.what;
    }
    // Nor any two seconds of it, scene 1's quiet start and fade included.
    for (double t = 0.0; t + 2.0 <= showEnd; t += 1.0) {
        EXPECT_GT(levelDb(t, t + 2.0), -48.0) << "from " << t << " s";
    }
}

TEST_F(DataSoundtrack, LoudnessAndTruePeakAreInRange)
{
    const Ebur128 meter = ebur128(soundtrackPath);
    ASSERT_TRUE(meter.read) << meter.output.substr(0, 2000);
    EXPECT_NEAR(meter.integratedLufs, -14.0, 1.0);
    EXPECT_LT(meter.truePeakDbtp, -1.0);
}

TEST_F(DataSoundtrack, LevelOrSpectrumChangesWhereTheScenesChange)
{
    struct Change {
        double at;
        const char* what;
    };
    constexpr Change changes[] = {{25.0, "the beat enters with scene 2"}, {92.0, "scene 5 begins"}};
    for (const Change& change : changes) {
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
    constexpr Span spans[] = {
        {0.0, 25.0, 4.0, "scene 1 as loud as the peak: the show starts at the top"},
        {42.0, 67.0, 2.0, "scene 3 within 2 LU of the peak: the music builds but does not arrive"},
        {67.0, 92.0, 2.0, "scene 4 within 2 LU of the peak: the music builds but does not arrive"},
        {92.0, 104.0, 3.0, "the breakdown as loud as the peak: no build"},
    };
    for (const Span& span : spans) {
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
constexpr ThemeNote theme[] = {
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
    const std::size_t first = static_cast<std::size_t>(from * rate);
    const std::size_t last = std::min(interleaved.size() / 2, static_cast<std::size_t>(to * rate));
    for (int pitch = 57; pitch <= 95; ++pitch) {
        const double hz = 440.0 * std::pow(2.0, (pitch - 69) / 12.0);
        const double coefficient = 2.0 * std::cos(2.0 * M_PI * hz / rate);
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
    for (const ThemeNote& note : theme) {
        const double start = place.start + note.beat * place.beatSeconds;
        const double length = std::min(note.beats * place.beatSeconds, 0.5);
        const std::array<double, 12> classes = chroma(interleaved, start + 0.03, start + length);
        const double strongest = *std::max_element(classes.begin(), classes.end());
        sum += classes[(note.pitch + transpose) % 12] / std::max(strongest, 1e-12);
    }
    return sum / std::size(theme);
}

TEST_F(DataSoundtrack, TheThemeIsHeardInSceneOneInSceneFourAndOverTheBuild)
{
    constexpr ThemePlace places[] = {
        {4.0, 1.0, "scene 1, at half speed"},
        {25.0, 0.5, "scene 2, from the drop"},
        {67.0, 0.5, "scene 4, first statement"},
        {83.0, 0.5, "scene 4, third statement"},
        {105.0, 0.5, "the build"},
    };
    for (const ThemePlace& place : places) {
        SCOPED_TRACE(place.where);
        const double match = themeMatch(samples_, place, 0);
        // The same windows against the theme moved by a tritone: what chords alone would give.
        const double moved = themeMatch(samples_, place, 6);
        EXPECT_GE(match, 0.6) << "the theme's notes are not the strongest pitches while it plays";
        EXPECT_GE(match - moved, 0.3) << "the theme does not stand out from the harmony";
    }
}

TEST_F(DataSoundtrack, TheFinaleFallsAwayOnceTheRingHasClosed)
{
    // From 109 s the lights are gone inside, the sphere sinks under the surface and the ring has
    // closed: the picture dims, and the music with it.
    const KWeightedEnergy energy(samples_);
    const double closing = energy.loudness(105.0, 3.5);
    const double after = energy.loudness(109.0, showEnd - 109.0);
    EXPECT_GE(closing - after, 4.0) << "105-108.5 s at " << closing << " LUFS, 109-114.8 s at " << after;
}

TEST_F(DataSoundtrack, TheClosingChordComesAsTheSphereSinksOutOfSight)
{
    // The strongest onset from 110 to 113 s: the level of the fifth of a second after each 10 ms
    // step against the half second before it.
    const auto level = [&](double from, double to) { return levelDb(from, to); };
    double onset = 0.0;
    double strongest = -100.0;
    for (double t = 110.0; t <= 113.0; t += 0.01) {
        const double rise = level(t, t + 0.2) - level(t - 0.5, t);
        if (rise > strongest) {
            strongest = rise;
            onset = t;
        }
    }
    const double vanishes = sphereGoneMs / 1000.0;
    EXPECT_LE(std::fabs(onset - vanishes), 0.25) << "the closing chord at " << onset << " s, the sphere gone at "
                                                 << vanishes << " s";
}

TEST_F(DataSoundtrack, ScenesThreeAndFourBreatheWithThePicture)
{
    const KWeightedEnergy energy(samples_);
    // Scene 4: fullest through the rush past the spirals (76-81 s), thinner over the almost
    // empty screen that follows it.
    const double loudest = energy.loudestShortTerm(67.0, 92.0);
    const double quietest = energy.quietestShortTerm(67.0, 92.0);
    EXPECT_GE(loudest - quietest, 4.0) << "scene 4's 3 s loudness stays within " << loudest - quietest << " LU";
    EXPECT_GE(energy.loudestShortTerm(75.0, 83.0), loudest - 0.05) << "scene 4 is loudest outside 75-83 s";
    const double rush = energy.loudness(75.0, 8.0);
    const double empty = energy.loudness(84.0, 8.0);
    EXPECT_GE(rush - empty, 4.0) << "75-83 s at " << rush << " LUFS, 84-92 s at " << empty;

    // Scene 3: at least one break of two bars (4 s from a bar line) well under the scene.
    const double scene = energy.loudness(42.0, 25.0);
    double quietestBreak = 0.0;
    double breakStart = 0.0;
    for (double bar = 42.0; bar + 4.0 <= 67.0; bar += 2.0) {
        const double level = energy.loudness(bar, 4.0);
        if (breakStart == 0.0 || level < quietestBreak) {
            quietestBreak = level;
            breakStart = bar;
        }
    }
    EXPECT_GE(scene - quietestBreak, 6.0) << "scene 3's quietest two bars (from " << breakStart << " s) are "
                                          << scene - quietestBreak << " LU under the scene";
}

using Complex = std::complex<double>;

// In-place radix-2 FFT; the size must be a power of two.
void fft(std::vector<Complex>& a)
{
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[i], a[j]);
        }
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const Complex step = std::polar(1.0, -2.0 * M_PI / static_cast<double>(length));
        for (std::size_t i = 0; i < n; i += length) {
            Complex w = 1.0;
            for (std::size_t k = 0; k < length / 2; ++k) {
                const Complex u = a[i + k];
                const Complex v = a[i + k + length / 2] * w;
                a[i + k] = u + v;
                a[i + k + length / 2] = u - v;
                w *= step;
            }
        }
    }
}

struct Band {
    double lowHz;
    double highHz;
};

// The power of both channels in each band from `from` to `to` seconds: Hann-windowed blocks of
// `block` samples overlapping by half, summed bin by bin.
std::vector<double> bandPowers(const std::vector<double>& interleaved, double from, double to,
                               const std::vector<Band>& bands, std::size_t block = 8192)
{
    std::vector<double> power(bands.size(), 0.0);
    const std::size_t first = static_cast<std::size_t>(from * rate);
    const std::size_t last = std::min(interleaved.size() / 2, static_cast<std::size_t>(to * rate));
    std::vector<Complex> buffer(block);
    for (std::size_t start = first; start + block <= last; start += block / 2) {
        for (int channel = 0; channel < 2; ++channel) {
            for (std::size_t i = 0; i < block; ++i) {
                const double window = 0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(i) / block);
                buffer[i] = interleaved[2 * (start + i) + channel] * window;
            }
            fft(buffer);
            for (std::size_t k = 1; k < block / 2; ++k) {
                const double hz = static_cast<double>(k) * rate / block;
                for (std::size_t b = 0; b < bands.size(); ++b) {
                    if (hz >= bands[b].lowHz && hz < bands[b].highHz) {
                        power[b] += std::norm(buffer[k]);
                    }
                }
            }
        }
    }
    return power;
}

double decibels(double ratio)
{
    return 10.0 * std::log10(std::max(ratio, 1e-30));
}

TEST_F(DataSoundtrack, TheLowEndIsBalanced)
{
    // Over the show's beat, 25-112 s: the kick's sub-bass does not swamp the mix, and the bass
    // octave (centred on 126 Hz) carries more than the one above it (252 Hz), where the pads sit.
    const std::vector<double> power =
        bandPowers(samples_, 25.0, 112.0, {{0.0, 60.0}, {89.1, 178.2}, {178.2, 356.4}, {0.0, rate / 2.0}});
    EXPECT_LE(power[0] / power[3], 0.25) << 100.0 * power[0] / power[3] << " % of the power below 60 Hz";
    EXPECT_GE(decibels(power[1] / power[2]), 2.0)
        << "the 252 Hz octave is " << decibels(power[2] / power[1]) << " dB against 126 Hz";
}

// The pitch that YIN (de Cheveigne and Kawahara, 2002) finds in the mono sum's frame of 2048
// samples from `start`, in MIDI semitones; NaN where no period is clear. As common trackers run
// it: the difference function of the Hann-windowed frame through its spectrum, normalised by its
// cumulative mean, and the shortest lag nearly as good as the best (which passes over the
// best's multiples), none when even the best is poor.
double yinPitch(const std::vector<double>& interleaved, std::size_t start)
{
    constexpr std::size_t n = 2048;
    constexpr std::size_t maxLag = n / 2;
    std::vector<Complex> spectrum(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double window = 0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(i) / n);
        spectrum[i] = 0.5 * (interleaved[2 * (start + i)] + interleaved[2 * (start + i) + 1]) * window;
    }
    fft(spectrum);
    for (Complex& c : spectrum) {
        c = std::norm(c);
    }
    fft(spectrum); // the frame's circular autocorrelation, times n
    std::vector<double> normalised(maxLag + 1, 1.0);
    double sum = 0.0;
    for (std::size_t lag = 1; lag <= maxLag; ++lag) {
        const double d = std::max(0.0, spectrum[0].real() - spectrum[lag].real());
        sum += d;
        normalised[lag] = sum > 0.0 ? d * lag / sum : 1.0;
    }
    const double best = *std::min_element(normalised.begin() + 1, normalised.end());
    if (best > 0.85) {
        return std::nan("");
    }
    std::size_t lag = 1;
    while (normalised[lag] - best >= 0.1) {
        ++lag;
    }
    for (std::size_t i = lag > 2 ? lag - 2 : 1; i < std::min(maxLag, lag + 5); ++i) {
        if (normalised[i] < normalised[lag]) {
            lag = i;
        }
    }
    if (lag < 2 || lag >= maxLag) {
        return std::nan("");
    }
    const double a = normalised[lag - 1];
    const double b = normalised[lag];
    const double c = normalised[lag + 1];
    const double shift = (a - 2.0 * b + c) > 0.0 ? 0.5 * (a - c) / (a - 2.0 * b + c) : 0.0;
    const double hz = rate / (static_cast<double>(lag) + shift);
    return 69.0 + 12.0 * std::log2(hz / 440.0);
}

// The median pitch YIN finds over frames whose middle lies between `from` and `to` seconds.
double trackedPitch(const std::vector<double>& interleaved, double from, double to)
{
    std::vector<double> pitches;
    for (double middle = from; middle <= to; middle += 256.0 / rate) {
        const double start = middle - 1024.0 / rate;
        if (start < 0.0 || (middle + 1024.0 / rate) * rate * 2 >= interleaved.size()) {
            continue;
        }
        const double pitch = yinPitch(interleaved, static_cast<std::size_t>(start * rate));
        if (!std::isnan(pitch)) {
            pitches.push_back(pitch);
        }
    }
    if (pitches.empty()) {
        return std::nan("");
    }
    std::nth_element(pitches.begin(), pitches.begin() + pitches.size() / 2, pitches.end());
    return pitches[pitches.size() / 2];
}

TEST_F(DataSoundtrack, APitchTrackerFollowsTheThemeThroughSceneFour)
{
    // Scene 4 states the theme three times from 67 s, four bars each, ending each time its own way.
    constexpr ThemeNote endings[3][3] = {
        {{12, 1.5, 74}, {13.5, 0.5, 71}, {14, 2, 74}},
        {{12, 1, 79}, {13, 1, 81}, {14, 2, 83}},
        {{12, 1, 74}, {13, 1, 76}, {14, 2, 79}},
    };
    for (int phrase = 0; phrase < 3; ++phrase) {
        std::vector<ThemeNote> notes(std::begin(theme), std::end(theme));
        notes.insert(notes.end(), std::begin(endings[phrase]), std::end(endings[phrase]));
        int found = 0;
        std::string heard;
        for (const ThemeNote& note : notes) {
            const double start = 67.0 + phrase * 8.0 + note.beat * 0.5;
            const double pitch = trackedPitch(samples_, start + 0.05, start + std::min(note.beats * 0.5 * 0.85, 0.4));
            found += std::fabs(pitch - note.pitch) < 0.5;
            heard += " ";
            heard += std::to_string(note.pitch) + ":";
            heard += std::isnan(pitch) ? std::string("-") : std::to_string(std::lround(pitch));
        }
        EXPECT_GE(found, 12) << "statement " << phrase + 1 << ": " << found << " of 16 notes (played:heard)" << heard;
    }
}

// The spectrum's change at `at` seconds: the mean absolute difference, in dB, between the 1/3
// octave spectra (63 Hz to 16 kHz) of the second that ends 500 ms before it and the second that
// starts 500 ms after it, clear of what rings across the moment itself. Bands more than 60 dB
// under the loudest count as 60 dB under it.
double spectralChange(const std::vector<double>& interleaved, double at)
{
    std::vector<Band> bands;
    for (int k = -12; k <= 12; ++k) {
        const double centre = 1000.0 * std::pow(2.0, k / 3.0);
        bands.push_back({centre * std::pow(2.0, -1.0 / 6.0), centre * std::pow(2.0, 1.0 / 6.0)});
    }
    const std::vector<double> before = bandPowers(interleaved, at - 1.5, at - 0.5, bands, 4096);
    const std::vector<double> after = bandPowers(interleaved, at + 0.5, at + 1.5, bands, 4096);
    const double loudest = std::max(*std::max_element(before.begin(), before.end()),
                                    *std::max_element(after.begin(), after.end()));
    double sum = 0.0;
    for (std::size_t b = 0; b < bands.size(); ++b) {
        sum += std::fabs(std::max(decibels(after[b] / loudest), -60.0) - std::max(decibels(before[b] / loudest), -60.0));
    }
    return sum / bands.size();
}

TEST_F(DataSoundtrack, OpensWithAHookAndBuildsIntoTheDrop)
{
    const KWeightedEnergy energy(samples_);
    // Momentary loudness (400 ms) reaches -24 LUFS within the first second.
    double momentary = -100.0;
    for (double end = 0.4; end <= 1.0 + 1e-9; end += 0.1) {
        momentary = std::max(momentary, energy.loudness(end - 0.4, 0.4));
    }
    EXPECT_GE(momentary, -24.0) << "the first second's loudest 400 ms";
    // A melodic statement by 2 s: a pitch tracker hears at least three of the theme's pitches,
    // each for at least an eighth of a second, in eighths of a second from 0.1 s to 2 s.
    std::vector<int> heard;
    std::string figures;
    for (double t = 0.1; t + 0.125 <= 2.0 + 1e-9; t += 0.125) {
        const double pitch = trackedPitch(samples_, t, t + 0.125);
        figures += " ";
        figures += std::isnan(pitch) ? std::string("-") : std::to_string(std::lround(pitch));
        for (const ThemeNote& note : theme) {
            if (std::fabs(pitch - note.pitch) < 0.5 && std::find(heard.begin(), heard.end(), note.pitch) == heard.end()) {
                heard.push_back(note.pitch);
            }
        }
    }
    EXPECT_GE(heard.size(), 3u) << "pitches heard in the first 2 s:" << figures;
    // A rise through scene 1 into its fade.
    const double early = energy.loudness(4.0, 4.0);
    const double late = energy.loudness(16.0, 4.0);
    EXPECT_GE(late - early, 3.0) << "16-20 s at " << late << " LUFS, 4-8 s at " << early;
}

TEST_F(DataSoundtrack, TheDropLandsAndTheRushIsHeard)
{
    const KWeightedEnergy energy(samples_);
    // Scene 2 enters with the theme, above all of scene 1 and close to its own second cycle.
    const double drop = energy.loudness(25.0, 8.0);
    const double intro = energy.loudness(4.0, 16.0);
    const double second = energy.loudness(33.0, 8.0);
    EXPECT_GE(drop - intro, 3.0) << "25-33 s at " << drop << " LUFS, 4-20 s at " << intro;
    EXPECT_LE(second - drop, 1.5) << "25-33 s at " << drop << " LUFS, 33-41 s at " << second;
    // The rush through the spirals (76-81 s) lifts the music above the statement before it.
    const double rush = energy.loudness(75.0, 6.0);
    const double before = energy.loudness(68.0, 7.0);
    EXPECT_GE(rush - before, 2.5) << "75-81 s at " << rush << " LUFS, 68-75 s at " << before;
}

TEST_F(DataSoundtrack, TheSpectrumTurnsWhereThePictureDoes)
{
    struct Change {
        double at;
        double atLeast; // dB
        const char* what;
    };
    const Change changes[] = {
        {revealMs / 1000.0, 8.0, "the nebula's reveal"},
        {sceneStartMs(4) / 1000.0, 8.0, "the cut into scene 4"},
        {rushStartMs / 1000.0, 8.0, "the rush through the spirals"},
    };
    for (const Change& change : changes) {
        EXPECT_GE(spectralChange(samples_, change.at), change.atLeast) << change.what << " at " << change.at << " s";
    }
}

TEST_F(DataSoundtrack, TheMusicMovesAcrossTheCutIntoSceneFour)
{
    // 59.5-68 s, from scene 3's break across a cut nobody sees, where the picture hardly moves:
    // the short-term loudness spans at least 4 LU.
    const KWeightedEnergy energy(samples_);
    const double range = energy.loudestShortTerm(59.5, 68.0) - energy.quietestShortTerm(59.5, 68.0);
    EXPECT_GE(range, 4.0) << "the short-term loudness over 59.5-68 s spans " << range << " LU";
}

// The soundtrack's stems as makedata writes them with --stems, made once for the suite in a
// temporary folder: the mastered mix, the melody's track and the sum of all the other tracks.
class DataStems : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static TempFolder folder;
        failure_.clear();
        const fs::path stems = fs::path(folder.path()) / "stems";
        folder_ = stems.string();
        const CommandResult run = runCommand(makedataPath + " --stems " + stems.string() + " 2>&1");
        if (run.status != 0) {
            failure_ = "makedata --stems failed: " + run.output;
            return;
        }
        mix_ = decodeStereo((stems / "mix.wav").string());
        melody_ = decodeStereo((stems / "melody.wav").string());
        for (const char* name : {"drums", "pads", "bass", "arpeggio"}) {
            const std::vector<double> track = decodeStereo((stems / (std::string(name) + ".wav")).string());
            if (track.empty() || track.size() != mix_.size()) {
                failure_ = std::string("no ") + name + ".wav of the mix's length";
                return;
            }
            others_.resize(track.size(), 0.0);
            for (std::size_t i = 0; i < track.size(); ++i) {
                others_[i] += track[i];
            }
        }
        if (mix_.empty() || melody_.size() != mix_.size()) {
            failure_ = "no mix.wav, or no melody.wav of its length";
        }
    }

    static void TearDownTestSuite()
    {
        mix_ = {};
        melody_ = {};
        others_ = {};
    }

    void SetUp() override { ASSERT_TRUE(failure_.empty()) << failure_; }

    static std::string failure_;
    static std::vector<double> mix_;
    static std::vector<double> melody_;
    static std::vector<double> others_;
    static std::string folder_;
};

std::string DataStems::failure_;
std::vector<double> DataStems::mix_;
std::vector<double> DataStems::melody_;
std::vector<double> DataStems::others_;
std::string DataStems::folder_;

TEST_F(DataStems, AddUpToTheMixWhichTheLimiterTouchesByAtMostOneDecibel)
{
    // Over every 5 ms, the stems' sum against the mix: the limiter's gain there. Near-silent
    // stretches say nothing and are left out.
    constexpr std::size_t windowFrames = rate / 200;
    double deepest = 0.0;
    double deepestAt = 0.0;
    double highest = -100.0;
    for (std::size_t first = 0; first + windowFrames <= mix_.size() / 2; first += windowFrames) {
        double sum = 0.0;
        double mix = 0.0;
        for (std::size_t i = 2 * first; i < 2 * (first + windowFrames); ++i) {
            const double stems = melody_[i] + others_[i];
            sum += stems * stems;
            mix += mix_[i] * mix_[i];
        }
        if (sum < 2.0 * windowFrames * 1e-6) {
            continue;
        }
        const double gain = decibels(mix / sum);
        highest = std::max(highest, gain);
        if (gain < deepest) {
            deepest = gain;
            deepestAt = static_cast<double>(first) / rate;
        }
    }
    EXPECT_LE(highest, 0.05) << "the mix louder than its stems: they do not add up to it";
    EXPECT_GE(deepest, -1.0) << "the limiter takes " << -deepest << " dB at " << deepestAt << " s";
}

TEST_F(DataStems, TheMelodyLeadsFiveHundredToTwoThousandHertzWhereverItPlays)
{
    // Second by second, the melody's track in 500-2000 Hz against everything else there, at least
    // 6 dB clear. The
    // melody plays in a second where its band is within 10 dB of its loudest second nearby: its
    // rests and fading tails say nothing.
    std::vector<double> melody;
    std::vector<double> rest;
    for (double t = 0.0; t + 1.0 <= showEnd; t += 1.0) {
        melody.push_back(decibels(bandPowers(melody_, t, t + 1.0, {{500.0, 2000.0}}, 4096)[0]));
        rest.push_back(decibels(bandPowers(others_, t, t + 1.0, {{500.0, 2000.0}}, 4096)[0]));
    }
    const double loudest = *std::max_element(melody.begin(), melody.end());
    std::string faults;
    int playing = 0;
    for (std::size_t i = 0; i < melody.size(); ++i) {
        const auto first = melody.begin() + static_cast<std::ptrdiff_t>(i >= 3 ? i - 3 : 0);
        const auto last = melody.begin() + static_cast<std::ptrdiff_t>(std::min(melody.size(), i + 4));
        if (melody[i] < *std::max_element(first, last) - 10.0 || melody[i] < loudest - 45.0) {
            continue;
        }
        ++playing;
        if (melody[i] - rest[i] < 6.0) {
            faults += " " + std::to_string(i) + " s (" + std::to_string(melody[i] - rest[i]) + " dB)";
        }
    }
    EXPECT_GT(playing, 70) << "the melody found playing in only " << playing << " seconds";
    EXPECT_EQ(faults, "") << "the melody less than 6 dB over the rest of 500-2000 Hz at";
}

TEST_F(DataStems, TheArpeggioIsHeardWhereItPlays)
{
    // Its track's gated integrated loudness: the meter's gates leave out the stretches where it
    // is silent, so this is its loudness where it plays.
    const Ebur128 meter = ebur128(folder_ + "/arpeggio.wav");
    ASSERT_TRUE(meter.read) << meter.output.substr(0, 2000);
    EXPECT_GE(meter.integratedLufs, -24.0) << "the arpeggio's track";
}

// The build's data folder was written by a run of its own: one more run, compared with it, shows
// that every run writes the same bytes.
TEST(DataMakedata, ARunWritesTheBuildsOwnBytesAndNothingElse)
{
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    const fs::path written = fs::path(folder.path()) / dataFolderName;
    const CommandResult run = runCommand(makedataPath + " " + written.string() + " 2>&1");
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
    const Case cases[] = {
        {"", "no output folder"},
        {"one two", "two output folders"},
        {"--stems", "--stems without its folder"},
        {"--stems one two", "--stems with two folders"},
        {(blocker / "iroiro").string(), "output folder under a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const CommandResult run = runCommand(makedataPath + " " + c.arguments + " 2>&1");
        EXPECT_NE(run.status, 0);
        ASSERT_FALSE(run.output.empty());
        EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
    }
    EXPECT_FALSE(fs::exists("one")) << "a usage error writes nothing";
    EXPECT_FALSE(fs::exists("--stems")) << "a usage error writes nothing";
}

} // namespace
