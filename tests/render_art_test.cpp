// The show's pictures as the cameras see them: whole frames of a run drawn by the offscreen
// renderer at 1280 x 720 from the built data, checked for a lit finale and glows that keep
// their gradients; and the soundtrack against them (ArtAgainstSoundtrack, which draws seconds of
// frames and so runs with the end-to-end tier): its loudness following the finale's light, its
// cymbals only where the picture changes.
#include "app/data_files.h"
#include "app/replay.h"
#include "app/run.h"
#include "app/show_state.h"
#include "capture/offscreen.h"
#include "support/offscreen_fixture.h"
#include "support/sound_measures.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int runFramesPerSecond = 60;

// A run's frames drawn at one size by the offscreen renderer the rendering tests share
// (support/offscreen_fixture.h), opened once per suite.
template <int Width, int Height>
class ArtRenderAt : public OffscreenTestOf<Width, Height> {
public:
    static constexpr int width = Width;
    static constexpr int height = Height;

protected:
    // The frame at `showTimeMs` of a fresh run at 60 fps, as showcap's frame mode draws it:
    // three bytes a pixel, rows bottom-up.
    static std::vector<std::uint8_t> frameAt(std::uint32_t showTimeMs)
    {
        resetCarriedValues();
        replayRunUntil(showTimeMs, runFramesPerSecond);
        EXPECT_TRUE(renderOffscreenFrame(showTimeMs)) << "frame " << showTimeMs;
        std::vector<std::uint8_t> rgb;
        readOffscreenPixels(rgb);
        return rgb;
    }

    // Mean luma (0-255) of a frame, weighted as for grey conversion of sRGB pictures.
    static double meanLuma(const std::vector<std::uint8_t>& rgb)
    {
        double sum = 0.0;
        for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
            sum += 0.2126 * rgb[i] + 0.7152 * rgb[i + 1] + 0.0722 * rgb[i + 2];
        return sum / (rgb.size() / 3);
    }

    static double lumaAt(const std::vector<std::uint8_t>& rgb, std::size_t pixel)
    {
        return 0.2126 * rgb[pixel * 3] + 0.7152 * rgb[pixel * 3 + 1] + 0.0722 * rgb[pixel * 3 + 2];
    }

    // The level below which `fraction` of `levels` lie.
    static double percentile(std::vector<double> levels, double fraction)
    {
        const std::size_t k = std::min(levels.size() - 1, static_cast<std::size_t>(fraction * levels.size()));
        std::nth_element(levels.begin(), levels.begin() + k, levels.end());
        return levels[k];
    }

    // The luma of the frame at `showTimeMs` where the sky shows: the pixels that change when the
    // same frame is drawn with the sky's texture swapped for a black one (what is blended over
    // the sky, such as glows, counts with it; what hides it does not).
    static std::vector<double> skyLevelsAt(std::uint32_t showTimeMs, std::int32_t ShowState::*sky)
    {
        const std::vector<std::uint8_t> rgb = skyPixelsAt(showTimeMs, sky);
        std::vector<double> levels;
        for (std::size_t p = 0; p < rgb.size() / 3; ++p)
            levels.push_back(lumaAt(rgb, p));
        return levels;
    }

    // The RGB of those pixels, one after another.
    static std::vector<std::uint8_t> skyPixelsAt(std::uint32_t showTimeMs, std::int32_t ShowState::*sky)
    {
        const std::vector<std::uint8_t> lit = frameAt(showTimeMs);
        GLuint black = 0;
        glGenTextures(1, &black);
        glBindTexture(GL_TEXTURE_2D, black);
        const std::uint8_t texel[3] = {0, 0, 0};
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glBindTexture(GL_TEXTURE_2D, 0);
        const std::int32_t saved = showState.*sky;
        showState.*sky = std::int32_t(black);
        const std::vector<std::uint8_t> unlit = frameAt(showTimeMs);
        showState.*sky = saved;
        glDeleteTextures(1, &black);
        std::vector<std::uint8_t> pixels;
        for (std::size_t p = 0; p < lit.size() / 3; ++p) {
            if (!std::equal(&lit[p * 3], &lit[p * 3 + 3], &unlit[p * 3]))
                pixels.insert(pixels.end(), &lit[p * 3], &lit[p * 3 + 3]);
        }
        return pixels;
    }

    // Calls visit(showTimeMs, rgb) for each frame of a run at `framesPerSecond` from `fromMs` up
    // to `toMs`, drawn one after another as showcap's frames mode draws them.
    static void forEachFrame(std::uint32_t fromMs, std::uint32_t toMs, int framesPerSecond,
                             const std::function<void(std::uint32_t, const std::vector<std::uint8_t>&)>& visit)
    {
        resetCarriedValues();
        replayRunUntil(fromMs, framesPerSecond);
        std::vector<std::uint8_t> rgb;
        for (std::uint64_t frame = firstFrameFrom(fromMs, framesPerSecond);; ++frame) {
            const std::uint32_t ms = runFrameTime(frame, framesPerSecond);
            if (ms >= toMs || !renderOffscreenFrame(ms))
                break;
            readOffscreenPixels(rgb);
            visit(ms, rgb);
        }
    }

    // The soundtrack as ffmpeg decodes it, once for the suite.
    static const std::vector<double>& soundtrack()
    {
        static const std::vector<double> samples = decodeStereo(dataFilePath(soundtrackFile));
        return samples;
    }

    static int brightestChannel(const std::vector<std::uint8_t>& rgb, std::size_t pixel)
    {
        return std::max({rgb[pixel * 3], rgb[pixel * 3 + 1], rgb[pixel * 3 + 2]});
    }

    // The share of pixels with a channel at 255.
    static double clippedShare(const std::vector<std::uint8_t>& rgb)
    {
        std::size_t clipped = 0;
        for (std::size_t p = 0; p < rgb.size() / 3; ++p)
            clipped += brightestChannel(rgb, p) == 255;
        return double(clipped) / double(rgb.size() / 3);
    }

    // Colourfulness as Hasler and Suesstrunk (2003) measure it: the spread and the mean of the
    // opponent channels red-green and yellow-blue over the frame.
    static double colourfulness(const std::vector<std::uint8_t>& rgb)
    {
        double sumRg = 0.0, sumYb = 0.0, sumRg2 = 0.0, sumYb2 = 0.0;
        const double n = double(rgb.size() / 3);
        for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
            const double rg = double(rgb[i]) - rgb[i + 1];
            const double yb = 0.5 * (double(rgb[i]) + rgb[i + 1]) - rgb[i + 2];
            sumRg += rg;
            sumYb += yb;
            sumRg2 += rg * rg;
            sumYb2 += yb * yb;
        }
        const double meanRg = sumRg / n;
        const double meanYb = sumYb / n;
        const double spread = std::sqrt(std::max(0.0, sumRg2 / n - meanRg * meanRg) + std::max(0.0, sumYb2 / n - meanYb * meanYb));
        return spread + 0.3 * std::sqrt(meanRg * meanRg + meanYb * meanYb);
    }

    // The standard deviation of the frame's luma: how much of the range the picture spreads over.
    static double lumaSpread(const std::vector<std::uint8_t>& rgb)
    {
        const double mean = meanLuma(rgb);
        double sum = 0.0;
        for (std::size_t p = 0; p < rgb.size() / 3; ++p)
            sum += (lumaAt(rgb, p) - mean) * (lumaAt(rgb, p) - mean);
        return std::sqrt(sum / double(rgb.size() / 3));
    }

    // Mean luma of the lower half of the frame (rows are bottom-up).
    static double lowerHalfLuma(const std::vector<std::uint8_t>& rgb)
    {
        const std::size_t pixels = std::size_t(width) * std::size_t(height / 2);
        double sum = 0.0;
        for (std::size_t p = 0; p < pixels; ++p)
            sum += lumaAt(rgb, p);
        return sum / double(pixels);
    }

    // The mean absolute difference in luma between two frames.
    static double lumaChange(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
    {
        double sum = 0.0;
        for (std::size_t p = 0; p < a.size() / 3; ++p)
            sum += std::fabs(lumaAt(a, p) - lumaAt(b, p));
        return sum / double(a.size() / 3);
    }
};

using ArtRender = ArtRenderAt<1280, 720>;

TEST_F(ArtRender, FinaleStaysLitWhileTheRingClosesAndAfter)
{
    // From 109 s the picture is the ripple surface alone, lit by what it reflects of the wave map.
    struct Moment {
        std::uint32_t ms;
        double atLeast;
        const char* fault;
    };
    constexpr Moment moments[] = {
        {106000, 16.0, "the finale darkens while the ring closes in"},
        {110000, 8.0, "the surface reflects a dark part of the wave map"},
        {112000, 5.0, "the closing chord lands on a black picture"},
    };
    for (const Moment& moment : moments) {
        EXPECT_GE(meanLuma(frameAt(moment.ms)), moment.atLeast) << moment.fault << " (" << moment.ms << " ms)";
    }
}

TEST_F(ArtRender, GlowsDoNotBurnOutInSceneFour)
{
    // At 85 s the sparkles are large and overlap: a sparkle near white screens them to flat,
    // saturated blobs.
    const std::vector<std::uint8_t> rgb = frameAt(85000);
    const std::size_t pixels = rgb.size() / 3;
    std::size_t clipped = 0;
    for (std::size_t p = 0; p < pixels; ++p)
        clipped += brightestChannel(rgb, p) == 255;
    EXPECT_LT(double(clipped) / pixels, 0.001) << clipped << " pixels with a channel at 255";
}

TEST_F(ArtRender, SceneOneSparklesHaveGradientCoresNotFlatPlateaus)
{
    // Scene 1's white sparkles over black: their cores must rise to a point. A sparkle near
    // white screened over itself becomes a flat white diamond, most of its core at full level.
    const std::vector<std::uint8_t> rgb = frameAt(12000);
    const std::size_t pixels = rgb.size() / 3;
    std::size_t core = 0;
    std::size_t flat = 0;
    for (std::size_t p = 0; p < pixels; ++p) {
        const int level = brightestChannel(rgb, p);
        core += level >= 128;
        flat += level >= 250;
    }
    ASSERT_GT(core, 7u * 10u) << "seven sparkles with visible cores";
    EXPECT_LT(double(flat) / core, 0.1) << flat << " of " << core << " core pixels at full level";
}

TEST_F(ArtRender, SceneOneGlowsLightMoreThanDotsWithoutBurningOut)
{
    // Scene 1 is seven sparkles over black: their light must reach out over the screen (at least
    // 1.5 % of its pixels above 20 in luma) while the brightest 0.1 % stay below 245.
    for (const std::uint32_t ms : {5000u, 10000u, 15000u}) {
        SCOPED_TRACE(std::to_string(ms) + " ms");
        const std::vector<std::uint8_t> rgb = frameAt(ms);
        std::vector<double> levels(rgb.size() / 3);
        std::size_t lit = 0;
        for (std::size_t p = 0; p < levels.size(); ++p) {
            levels[p] = lumaAt(rgb, p);
            lit += levels[p] > 20.0;
        }
        EXPECT_GE(100.0 * lit / levels.size(), 1.5) << "% of pixels above 20";
        EXPECT_LE(percentile(levels, 0.999), 245.0) << "the brightest 0.1 %";
    }
}

TEST_F(ArtRender, SkiesReachTheScreenBright)
{
    // The 95th percentile in luma of the pixels where the sky shows (see skyLevelsAt). Scene 3's
    // lights bound its sky: a white texture reaches only 143 at 50 s and 152 at 60 s, so the
    // nebula keeps its colours at about 85 % of that.
    struct Moment {
        std::uint32_t ms;
        std::int32_t ShowState::*sky;
        double atLeast;
    };
    constexpr Moment moments[] = {
        {30000, &ShowState::skyTextureA, 55.0},
        {38000, &ShowState::skyTextureA, 55.0},
        {50000, &ShowState::skyTextureB, 120.0},
        {60000, &ShowState::skyTextureB, 120.0},
    };
    for (const Moment& moment : moments) {
        SCOPED_TRACE(std::to_string(moment.ms) + " ms");
        const std::vector<double> levels = skyLevelsAt(moment.ms, moment.sky);
        ASSERT_GT(levels.size(), std::size_t(width * height / 10)) << "the sky covers a tenth of the frame";
        EXPECT_GE(percentile(levels, 0.95), moment.atLeast) << "95th percentile of the sky's luma";
    }
}

// The soundtrack against the pictures: whole stretches of frames measured beside the sound.
class ArtAgainstSoundtrack : public ArtRender {};

double correlation(const std::vector<double>& x, const std::vector<double>& y)
{
    double meanX = 0.0;
    double meanY = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        meanX += x[i] / x.size();
        meanY += y[i] / y.size();
    }
    double xy = 0.0;
    double xx = 0.0;
    double yy = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        xy += (x[i] - meanX) * (y[i] - meanY);
        xx += (x[i] - meanX) * (x[i] - meanX);
        yy += (y[i] - meanY) * (y[i] - meanY);
    }
    return xy / std::sqrt(xx * yy);
}

TEST_F(ArtAgainstSoundtrack, TheFinalesLoudnessFollowsItsLight)
{
    // Over 100-114.8 s the picture fades as the ring closes, the lights go inside and the sphere
    // sinks: every half second, the frames' mean luma over the second around it (10 fps) against
    // the short-term loudness (3 s, centred, cut at the show's end) of the soundtrack.
    const std::vector<double>& samples = soundtrack();
    ASSERT_FALSE(samples.empty()) << "ffmpeg could not decode " << dataFilePath(soundtrackFile);
    const KWeightedEnergy energy(samples);
    std::vector<double> luma(160, 0.0); // by tenth of a second from 99.5 s
    forEachFrame(99500, 114800, 10, [&](std::uint32_t ms, const std::vector<std::uint8_t>& rgb) {
        luma[std::min<std::size_t>(luma.size() - 1, (ms - 99500 + 50) / 100)] = meanLuma(rgb);
    });
    std::vector<double> brightness;
    std::vector<double> loudness;
    std::string figures;
    const double showEnd = 114.8;
    for (int half = 0; half < 30; ++half) {
        const double centre = 100.0 + 0.5 * half;
        double sum = 0.0;
        int count = 0;
        for (double t = centre - 0.5; t < std::min(centre + 0.5, showEnd) - 1e-9; t += 0.1, ++count)
            sum += luma[static_cast<std::size_t>(std::lround((t - 99.5) * 10.0))];
        brightness.push_back(sum / count);
        const double from = centre - 1.5;
        loudness.push_back(energy.loudness(from, std::min(centre + 1.5, showEnd) - from));
        figures += " " + std::to_string(centre).substr(0, 5) + ":" + std::to_string(brightness.back()).substr(0, 4) +
                   "/" + std::to_string(loudness.back()).substr(0, 5);
    }
    EXPECT_GE(correlation(brightness, loudness), 0.5) << "luma/LUFS:" << figures;
}

// Cymbal-like accents: onsets of at least 6 dB in the band above 5 kHz (the half second after a
// moment against the second before it), at least as loud there as the soundtrack's loudest
// half second in that band less 18 dB, the strongest within a quarter second.
std::vector<double> heavyAccents(const std::vector<double>& interleaved)
{
    // Fourth-order Butterworth high-pass: two sections.
    const auto highPass = [](double q) {
        const double w = 2.0 * M_PI * 5000.0 / soundRate;
        const double alpha = std::sin(w) / (2.0 * q);
        const double a0 = 1.0 + alpha;
        const double c = std::cos(w);
        return Biquad{(1.0 + c) / 2.0 / a0, -(1.0 + c) / a0, (1.0 + c) / 2.0 / a0, -2.0 * c / a0, (1.0 - alpha) / a0};
    };
    constexpr std::size_t step = soundRate / 100; // 10 ms
    const std::size_t steps = interleaved.size() / 2 / step;
    std::vector<double> energy(steps, 0.0);
    for (int channel = 0; channel < 2; ++channel) {
        Biquad first = highPass(0.5412);
        Biquad second = highPass(1.3066);
        for (std::size_t n = 0; n < steps * step; ++n) {
            const double y = second.process(first.process(interleaved[2 * n + channel]));
            energy[n / step] += y * y;
        }
    }
    const auto level = [&](std::size_t from, std::size_t count) {
        double sum = 0.0;
        for (std::size_t i = from; i < from + count; ++i)
            sum += energy[i];
        return 10.0 * std::log10(sum / (count * step * 2) + 1e-20);
    };
    std::vector<double> rise(steps, -100.0);
    std::vector<double> after(steps, -200.0);
    for (std::size_t i = 100; i + 50 <= steps; ++i) {
        after[i] = level(i, 50);
        rise[i] = after[i] - level(i - 100, 100);
    }
    const double loudest = *std::max_element(after.begin(), after.end());
    std::vector<double> accents;
    for (std::size_t i = 100; i + 50 <= steps; ++i) {
        if (rise[i] < 6.0 || after[i] < loudest - 18.0)
            continue;
        bool strongest = true;
        for (std::size_t j = i - 25; j <= std::min(steps - 1, i + 25); ++j)
            strongest = strongest && !(rise[j] > rise[i]);
        if (strongest)
            accents.push_back(static_cast<double>(i) / 100.0);
    }
    return accents;
}

TEST_F(ArtAgainstSoundtrack, CymbalsOnlyWhereThePictureChanges)
{
    // A heavy accent is heard only where the whole frame changes at least three times as much
    // as it normally does there (the mean luma difference between frames at 10 fps, against the
    // median over the 4 s before or after, whichever is calmer), or on the nebula's reveal
    // (within a beat of 44 s). The cut at 67 s, which nobody sees, stays light.
    const std::vector<double>& samples = soundtrack();
    ASSERT_FALSE(samples.empty()) << "ffmpeg could not decode " << dataFilePath(soundtrackFile);
    const std::vector<double> accents = heavyAccents(samples);
    EXPECT_FALSE(accents.empty()) << "no cymbal at all: the scene changes go unmarked";
    for (const double accent : accents) {
        EXPECT_GT(std::fabs(accent - 67.0), 1.0) << "a heavy accent at " << accent << " s, on the cut nobody sees";
        if (std::fabs(accent - 44.0) <= 0.5)
            continue;
        const std::uint32_t fromMs = static_cast<std::uint32_t>(std::max(0.0, accent - 4.3) * 1000.0);
        const std::uint32_t toMs = static_cast<std::uint32_t>(std::min(114.8, accent + 4.3) * 1000.0);
        std::vector<double> times;
        std::vector<double> changes;
        std::vector<std::uint8_t> previous;
        forEachFrame(fromMs, toMs, 10, [&](std::uint32_t ms, const std::vector<std::uint8_t>& rgb) {
            if (!previous.empty()) {
                double sum = 0.0;
                for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
                    const double now = 0.2126 * rgb[i] + 0.7152 * rgb[i + 1] + 0.0722 * rgb[i + 2];
                    const double before = 0.2126 * previous[i] + 0.7152 * previous[i + 1] + 0.0722 * previous[i + 2];
                    sum += std::fabs(now - before);
                }
                times.push_back(ms / 1000.0);
                changes.push_back(sum / (rgb.size() / 3));
            }
            previous = rgb;
        });
        const auto median = [&](double from, double to) {
            std::vector<double> values;
            for (std::size_t i = 0; i < times.size(); ++i)
                if (times[i] >= from && times[i] < to)
                    values.push_back(changes[i]);
            if (values.empty())
                return 1e9;
            std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
            return values[values.size() / 2];
        };
        double change = 0.0;
        for (std::size_t i = 0; i < times.size(); ++i)
            if (std::fabs(times[i] - accent) <= 0.25)
                change = std::max(change, changes[i]);
        const double normal = std::min(median(accent - 4.25, accent - 0.25), median(accent + 0.3, accent + 4.3));
        EXPECT_GE(change, 3.0 * normal) << "a heavy accent at " << accent << " s where the frame changes by " << change
                                        << " against " << normal << " normally";
    }
}

// The pictures as a review sees them, at 960 x 540: colour and light where they read flat, and
// scene 2's light against its music.
using ArtReview = ArtRenderAt<960, 540>;

TEST_F(ArtReview, SceneOnesGlowsAreTinted)
{
    for (const std::uint32_t ms : {5000u, 10000u, 15000u}) {
        EXPECT_GE(colourfulness(frameAt(ms)), 5.0) << "scene 1 at " << ms << " ms, grey glows on black";
    }
}

TEST_F(ArtReview, TheTintLeavesSceneTwosLightAsItWas)
{
    // Scene 2 shows the glows over the velvet sky: tinting them keeps its frame means (as they
    // were with white glows).
    struct Moment {
        std::uint32_t ms;
        double mean;
    };
    constexpr Moment moments[] = {{28000, 66.98}, {33000, 63.45}, {38000, 58.07}};
    for (const Moment& moment : moments) {
        EXPECT_NEAR(meanLuma(frameAt(moment.ms)), moment.mean, 1.0) << moment.ms << " ms";
    }
}

TEST_F(ArtReview, TheNebulaReadsInColour)
{
    // The whole frame's colour and spread; the clipping of the sky's own pixels (see
    // skyLevelsAt), as the lit sphere in front of it has highlights of its own.
    for (const std::uint32_t ms : {50000u, 60000u}) {
        SCOPED_TRACE(std::to_string(ms) + " ms");
        const std::vector<std::uint8_t> rgb = frameAt(ms);
        EXPECT_GE(colourfulness(rgb), 45.0);
        EXPECT_GE(lumaSpread(rgb), 38.0) << "the luma's standard deviation";
        const std::vector<std::uint8_t> skyRgb = skyPixelsAt(ms, &ShowState::skyTextureB);
        ASSERT_GT(skyRgb.size() / 3, std::size_t(width * height / 10)) << "the sky covers a tenth of the frame";
        EXPECT_LE(clippedShare(skyRgb), 0.005) << "the sky's pixels with a channel at 255";
    }
}

TEST_F(ArtReview, TheRippleSurfaceIsBright)
{
    struct Moment {
        std::uint32_t ms;
        double atLeast;
    };
    constexpr Moment moments[] = {{100000, 48.0}, {104000, 43.0}};
    for (const Moment& moment : moments) {
        SCOPED_TRACE(std::to_string(moment.ms) + " ms");
        const std::vector<std::uint8_t> rgb = frameAt(moment.ms);
        EXPECT_GE(lowerHalfLuma(rgb), moment.atLeast) << "the lower half's mean luma";
        EXPECT_LE(clippedShare(rgb), 0.01) << "pixels with a channel at 255";
    }
}

TEST_F(ArtReview, SceneTwosLoudnessFollowsItsLight)
{
    // Every half second, the frames' mean luma over 3 s (10 fps) against the soundtrack's
    // loudness over the same 3 s.
    const std::vector<double>& samples = soundtrack();
    ASSERT_FALSE(samples.empty()) << "ffmpeg could not decode " << dataFilePath(soundtrackFile);
    const KWeightedEnergy energy(samples);
    std::vector<double> luma; // by tenth of a second from 25 s
    forEachFrame(25000, 42000, 10, [&](std::uint32_t, const std::vector<std::uint8_t>& rgb) { luma.push_back(meanLuma(rgb)); });
    ASSERT_GE(luma.size(), 160u);
    std::vector<double> brightness;
    std::vector<double> loudness;
    std::string figures;
    for (double centre = 26.5; centre <= 40.5 + 1e-9; centre += 0.5) {
        const std::size_t first = static_cast<std::size_t>(std::lround((centre - 1.5 - 25.0) * 10.0));
        double sum = 0.0;
        for (std::size_t i = first; i < std::min(luma.size(), first + 30); ++i)
            sum += luma[i];
        brightness.push_back(sum / 30.0);
        loudness.push_back(energy.loudness(centre - 1.5, 3.0));
        figures += " " + std::to_string(centre).substr(0, 4) + ":" + std::to_string(brightness.back()).substr(0, 4) +
                   "/" + std::to_string(loudness.back()).substr(0, 5);
    }
    EXPECT_GE(correlation(brightness, loudness), 0.3) << "luma/LUFS:" << figures;
}

// The whole run at 30 fps: wherever the picture stands still for 8 s, the music moves. A slow
// test (the show's 3444 frames), in the end-to-end tier.
using ArtWholeRun = ArtRenderAt<960, 540>;

TEST_F(ArtWholeRun, NoStretchWherePictureAndMusicBothStandStill)
{
    const std::vector<double>& samples = soundtrack();
    ASSERT_FALSE(samples.empty()) << "ffmpeg could not decode " << dataFilePath(soundtrackFile);
    const KWeightedEnergy energy(samples);
    std::vector<double> times;
    std::vector<double> luma;
    std::vector<double> change;
    std::vector<std::uint8_t> previous;
    forEachFrame(0, 114800, 30, [&](std::uint32_t ms, const std::vector<std::uint8_t>& rgb) {
        times.push_back(ms / 1000.0);
        luma.push_back(meanLuma(rgb));
        change.push_back(previous.empty() ? 0.0 : lumaChange(rgb, previous));
        previous = rgb;
    });
    ASSERT_GT(times.size(), 3000u);
    std::string dead;
    for (double from = 2.0; from + 8.0 <= 112.0 + 1e-9; from += 0.5) {
        double changeSum = 0.0;
        int count = 0;
        double darkest = 1e9;
        double brightest = -1e9;
        for (std::size_t i = 1; i < times.size(); ++i) {
            if (times[i] < from || times[i] >= from + 8.0)
                continue;
            changeSum += change[i];
            ++count;
            darkest = std::min(darkest, luma[i]);
            brightest = std::max(brightest, luma[i]);
        }
        const bool still = count > 0 && changeSum / count < 1.5 && brightest - darkest < 5.0;
        const double range = energy.loudestShortTerm(from, from + 8.0) - energy.quietestShortTerm(from, from + 8.0);
        if (still && range < 2.0)
            dead += " " + std::to_string(from).substr(0, 5) + " s (" + std::to_string(range).substr(0, 4) + " LU)";
    }
    EXPECT_EQ(dead, "") << "8 s windows where the picture is still and the music within 2 LU, from";
}

} // namespace
