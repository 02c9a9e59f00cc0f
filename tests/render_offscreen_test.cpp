// The offscreen renderer's own contract: failures come back as a reason instead of ending or
// blocking the process, the end of the show is refused, and it can be closed and opened again.
#include "capture/offscreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// GLUT ends the process when it finds no display; the renderer must say so and return instead.
TEST(OffscreenRendererDeathTest, WithoutADisplayOpenReturnsAReasonInsteadOfExiting)
{
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            std::string reason;
            const bool opened = openOffscreen(64, 48, reason);
            std::fprintf(stderr, "%s\n", reason.c_str());
            std::exit(opened ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "no X display");
}

TEST(OffscreenRenderer, RefusesBadSizesTheShowEndAndASecondOpen)
{
    std::string reason;
    EXPECT_FALSE(openOffscreen(0, 48, reason));
    EXPECT_NE(reason.find("not positive"), std::string::npos) << reason;
    EXPECT_FALSE(openOffscreen(100000, 48, reason));
    EXPECT_NE(reason.find("largest"), std::string::npos) << reason;
    EXPECT_FALSE(renderOffscreenFrame(1000)) << "rendered while closed";

    ASSERT_TRUE(openOffscreen(64, 48, reason)) << reason;
    EXPECT_FALSE(openOffscreen(64, 48, reason));
    EXPECT_NE(reason.find("already open"), std::string::npos) << reason;
    // 114800 and later would end the process inside the frame path.
    EXPECT_FALSE(renderOffscreenFrame(114800));
    EXPECT_FALSE(renderOffscreenFrame(4000000000u));
    EXPECT_TRUE(renderOffscreenFrame(1000));
    closeOffscreen();
}

TEST(OffscreenRenderer, ReopensAtANewSizeAfterClose)
{
    std::string reason;
    std::vector<std::uint8_t> rgb;
    for (int width : {64, 96}) {
        ASSERT_TRUE(openOffscreen(width, 40, reason)) << reason;
        ASSERT_TRUE(renderOffscreenFrame(5000));
        readOffscreenPixels(rgb);
        EXPECT_EQ(rgb.size(), std::size_t(width) * 40 * 3);
        EXPECT_GT(*std::max_element(rgb.begin(), rgb.end()), 200) << "no sparkles at width " << width;
        closeOffscreen();
    }
    closeOffscreen(); // closing twice is harmless
    readOffscreenPixels(rgb);
    EXPECT_TRUE(rgb.empty());
}

} // namespace
