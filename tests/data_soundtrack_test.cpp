// The soundtrack makedata writes, decoded by ffmpeg (not the encoder that wrote it) and checked
// against the show's schedule; and the makedata program itself: its errors and repeatable output.
#include "support/command.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

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
constexpr double kShowEnd = 114.8;
const std::string kSoundtrack = "./iroiro/k13.mp3";
const std::string kMakedata = std::string(SHOW_BUILD_DIR) + "/data/makedata";
constexpr const char* kDataFiles[] = {"k13.mp3", "syfyd.bmp", "muryw.bmp", "velvetend_loop02a(0).bmp", "wave1.bmp"};

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
        {105.0, 112.0, "the build"},            {112.0, kShowEnd, "the climax"},
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
    EXPECT_NEAR(lufs, -14.0, 1.5);
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

TEST(DataMakedata, TwoRunsWriteTheSameBytesAndNothingElse)
{
    TempFolder first;
    TempFolder second;
    ASSERT_FALSE(first.path().empty());
    ASSERT_FALSE(second.path().empty());
    for (const TempFolder* folder : {&first, &second}) {
        const CommandResult run = runCommand(kMakedata + " " + (fs::path(folder->path()) / "iroiro").string() + " 2>&1");
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(run.output, "") << "silent on success";
        std::size_t entries = 0;
        for (const auto& entry : fs::directory_iterator(fs::path(folder->path()) / "iroiro")) {
            ++entries;
            EXPECT_FALSE(entry.path().extension() == ".partial") << entry.path();
        }
        EXPECT_EQ(entries, std::size(kDataFiles));
    }
    for (const char* name : kDataFiles) {
        const std::vector<std::uint8_t> a = readBytes(fs::path(first.path()) / "iroiro" / name);
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_TRUE(a == readBytes(fs::path(second.path()) / "iroiro" / name)) << name << " differs between runs";
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
