// Scene 1 as drawn by the real frame path: the seven sparkles where the ring puts them over black,
// the fade from 20 s, the state handed on to scene 2, and frames that do not drift.
#include "support/offscreen_fixture.h"

#include "elements/light_ring.h"
#include "scenes/glow_pass.h"

#include <GL/freeglut.h>
#include <cmath>

namespace {

constexpr OffscreenTest::Point scene1Eye{1000, 0, 500};
constexpr OffscreenTest::Point origin{0, 0, 0};
constexpr OffscreenTest::Point zUp{0, 0, 1};

class Scene1Render : public OffscreenTest {
protected:
    // The glow ring at `timeMs` as scene 1 draws it, without any fade over it.
    static Image ringWithoutFade(int timeMs)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(scene1Eye.x, scene1Eye.y, scene1Eye.z, 0, 0, 0, zUp.x, zUp.y, zUp.z);
        beginGlowPass();
        glColor4f(1, 1, 1, 1);
        drawGlowRing(timeMs, 0, 0, 0, timeMs);
        endGlowPass();
        return readImage();
    }
};

TEST_F(Scene1Render, SparklesShowWhereTheRingPutsThemAndNowhereElse)
{
    for (int timeMs : {0, 10000}) {
        const Image image = renderShowFrame(std::uint32_t(timeMs));
        Pixel centres[orbitItemCount];
        const OrbitItems items = orbitItems(timeMs, 0, 0, 0, 250.0);
        for (int i = 0; i < orbitItemCount; ++i)
            centres[i] = project(scene1Eye, origin, zUp, {items[i].x, items[i].y, items[i].z});

        // Each sparkle's bright core lies on its projected centre.
        for (int i = 0; i < orbitItemCount; ++i) {
            int brightest = 0;
            for (int dy = -3; dy <= 3; ++dy)
                for (int dx = -3; dx <= 3; ++dx)
                    brightest = std::max(brightest, image.level(int(centres[i].x) + dx, int(centres[i].y) + dy));
            EXPECT_GE(brightest, 200) << "no sparkle at item " << i << ", frame " << timeMs;
        }
        // Everything away from the seven centres stays black.
        int strayPixels = 0;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                if (image.level(x, y) == 0)
                    continue;
                double nearest = 1e9;
                for (const Pixel& c : centres)
                    nearest = std::min(nearest, std::hypot(x - c.x, y - c.y));
                strayPixels += nearest > 45.0;
            }
        }
        EXPECT_EQ(strayPixels, 0) << "frame " << timeMs;
    }
}

TEST_F(Scene1Render, FadeDarkensThePictureByItsOpacityFromTwentySeconds)
{
    struct Case {
        int timeMs;
        double brightnessLeft; // of the same ring drawn without the fade
    };
    const Case cases[] = {{19999, 1.0}, {20000, 1.0}, {22500, 0.5}, {24990, 0.0}};
    for (const Case& c : cases) {
        const Image faded = renderShowFrame(std::uint32_t(c.timeMs));
        const Image plain = ringWithoutFade(c.timeMs);
        ASSERT_GT(plain.maxLevel(), 200) << "frame " << c.timeMs;
        const double left = double(faded.totalBrightness()) / double(plain.totalBrightness());
        EXPECT_NEAR(left, c.brightnessLeft, 0.01) << "frame " << c.timeMs;
        for (std::size_t i = 0; i < faded.rgb.size(); ++i) {
            const double want = plain.rgb[i] * c.brightnessLeft;
            ASSERT_NEAR(faded.rgb[i], want, 1.0) << "frame " << c.timeMs << " byte " << i;
        }
    }
}

// Scene 2 inherits this state; the fade adds its blend function and black material.
TEST_F(Scene1Render, FrameLeavesTheStateSceneTwoStartsFrom)
{
    struct Case {
        int timeMs;
        GLint blendSource, blendDestination;
        float materialAlpha; // negative: the fade has not set the material
    };
    const Case cases[] = {
        {10000, GL_ONE, GL_ONE, -1},
        {19999, GL_ONE, GL_ONE, -1},
        {20000, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 0.0f},
        {22500, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 0.5f},
    };
    for (const Case& c : cases) {
        renderShowFrame(std::uint32_t(c.timeMs));
        const GLenum enabled[] = {GL_LIGHTING, GL_CULL_FACE, GL_TEXTURE_2D, GL_DEPTH_TEST};
        for (GLenum cap : enabled)
            EXPECT_TRUE(glIsEnabled(cap)) << "cap 0x" << std::hex << cap << std::dec << ", frame " << c.timeMs;
        for (int i = 0; i < 8; ++i)
            EXPECT_TRUE(glIsEnabled(GLenum(GL_LIGHT0 + i))) << "light " << i << ", frame " << c.timeMs;
        EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "frame " << c.timeMs;
        EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL)) << "frame " << c.timeMs;
        EXPECT_EQ(integerState(GL_DEPTH_WRITEMASK), GL_TRUE) << "frame " << c.timeMs;
        EXPECT_EQ(integerState(GL_TEXTURE_BINDING_2D), 0) << "frame " << c.timeMs;
        EXPECT_EQ(integerState(GL_BLEND_SRC), c.blendSource) << "frame " << c.timeMs;
        EXPECT_EQ(integerState(GL_BLEND_DST), c.blendDestination) << "frame " << c.timeMs;
        EXPECT_EQ(integerState(GL_MODELVIEW_STACK_DEPTH), 1) << "frame " << c.timeMs;
        if (c.materialAlpha < 0)
            continue;
        for (GLenum face : {GL_FRONT, GL_BACK}) {
            for (GLenum part : {GL_AMBIENT, GL_DIFFUSE}) {
                GLfloat colour[4] = {-1, -1, -1, -1};
                glGetMaterialfv(face, part, colour);
                EXPECT_EQ(colour[0], 0.0f);
                EXPECT_EQ(colour[1], 0.0f);
                EXPECT_EQ(colour[2], 0.0f);
                EXPECT_FLOAT_EQ(colour[3], c.materialAlpha) << "frame " << c.timeMs;
            }
        }
    }
}

// A frame depends only on its time, and swapping the hidden window leaves the picture alone.
TEST_F(Scene1Render, FrameRepeatsExactlyAndSurvivesBufferSwaps)
{
    const Image first = renderShowFrame(10000);
    glutSwapBuffers();
    glutSwapBuffers();
    EXPECT_TRUE(readImage().rgb == first.rgb) << "the swap disturbed the framebuffer object";
    renderShowFrame(22500);
    EXPECT_TRUE(renderShowFrame(10000).rgb == first.rgb) << "the frame depends on the one before";
}

} // namespace
