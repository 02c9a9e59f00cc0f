// The show's pictures as the cameras see them: whole frames of a run drawn by the offscreen
// renderer at 1280 x 720 from the built data, checked for a lit finale and glows that keep
// their gradients.
#include "app/data_files.h"
#include "app/replay.h"
#include "app/run.h"
#include "capture/offscreen.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kFramesPerSecond = 60;

class ArtRender : public ::testing::Test {
public:
    static void SetUpTestSuite()
    {
        failure().clear();
        if (access(dataFilePath(glowPictureFile).c_str(), R_OK) != 0) {
            failure() = "no " + dataFilePath(glowPictureFile) + ": run from the build folder after a full build";
            return;
        }
        if (!openOffscreen(kWidth, kHeight, failure()) && failure().empty())
            failure() = "the offscreen renderer did not open";
    }

    static void TearDownTestSuite() { closeOffscreen(); }

protected:
    void SetUp() override
    {
        if (!failure().empty())
            FAIL() << failure();
    }

    // The frame at `showTimeMs` of a fresh run at 60 fps, as showcap's frame mode draws it:
    // three bytes a pixel, rows bottom-up.
    static std::vector<std::uint8_t> frameAt(std::uint32_t showTimeMs)
    {
        resetCarriedValues();
        replayRunUntil(showTimeMs, kFramesPerSecond);
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

    static int brightestChannel(const std::vector<std::uint8_t>& rgb, std::size_t pixel)
    {
        return std::max({rgb[pixel * 3], rgb[pixel * 3 + 1], rgb[pixel * 3 + 2]});
    }

private:
    static std::string& failure()
    {
        static std::string reason;
        return reason;
    }
};

TEST_F(ArtRender, FinaleStaysLitWhileTheRingClosesAndAfter)
{
    // From 109 s the picture is the ripple sheet alone, lit by what it reflects of the wave map.
    struct Moment {
        std::uint32_t ms;
        double atLeast;
        const char* fault;
    };
    constexpr Moment kMoments[] = {
        {106000, 16.0, "the finale darkens while the ring closes in"},
        {110000, 8.0, "the sheet reflects a dark part of the wave map"},
        {112000, 5.0, "the closing chord lands on a black picture"},
    };
    for (const Moment& moment : kMoments) {
        EXPECT_GE(meanLuma(frameAt(moment.ms)), moment.atLeast) << moment.fault << " (" << moment.ms << " ms)";
    }
}

TEST_F(ArtRender, GlowsDoNotBurnOutInSceneFour)
{
    // At 85 s the sparkles are large and overlap: a sprite near white screens them to flat,
    // saturated blobs.
    const std::vector<std::uint8_t> rgb = frameAt(85000);
    const std::size_t pixels = rgb.size() / 3;
    std::size_t clipped = 0;
    for (std::size_t p = 0; p < pixels; ++p)
        clipped += brightestChannel(rgb, p) == 255;
    EXPECT_LT(double(clipped) / pixels, 0.001) << clipped << " pixels with a channel at 255";
}

TEST_F(ArtRender, SceneOneSpritesHaveGradientCoresNotFlatPlateaus)
{
    // Scene 1's white sprites over black: their cores must rise to a point. A sprite near
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
    ASSERT_GT(core, 7u * 10u) << "seven sprites with visible cores";
    EXPECT_LT(double(flat) / core, 0.1) << flat << " of " << core << " core pixels at full level";
}

} // namespace
