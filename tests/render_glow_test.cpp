// The texture-state helpers, the glow pass and the two ring builders, drawn by Mesa: untextured
// drawing with texturing still on, the brightening blend, sparkles that never hide one another,
// and the lights the light ring leaves at its sparkles.
#include "support/offscreen_fixture.h"

#include "app/show_state.h"
#include "app/drawing_state.h"
#include "elements/light_ring.h"
#include "elements/sparkle.h"
#include "scenes/glow_pass.h"
#include "textures/texture_state.h"

namespace {

class GlowRender : public OffscreenTest {
protected:
    void TearDown() override
    {
        glClearColor(0, 0, 0, 1);
        reshapeWindow(frameWidth, frameHeight);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    // Clears to `background`, then draws under scene 1's camera: the glow pass, the colour,
    // `draw`, the restore.
    template <typename Draw>
    static Image glowOver(float background, float grey, Draw draw)
    {
        glClearColor(background, background, background, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(1000, 0, 500, 0, 0, 0, 0, 0, 1);
        beginGlowPass();
        glColor4f(grey, grey, grey, 1);
        draw();
        endGlowPass();
        return readImage();
    }
};

TEST_F(GlowRender, UseTextureZeroDrawsUntexturedWhileTexturingStaysOn)
{
    GLuint black = 0;
    const std::uint8_t texel[3] = {0, 0, 0};
    glGenTextures(1, &black);
    glBindTexture(GL_TEXTURE_2D, black);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);

    struct Case {
        GLuint name;
        int level; // white geometry under the default modulate mode
    };
    const Case cases[] = {
        {black, 0},        // the picture modulates the colour
        {0, 255},          // name 0: no picture
        {0xFFFFFFFFu, 255}, // a failed load's -1: no picture, no error
        {black, 0},
        {black, 0},        // bound twice in a row: the same state again
    };
    for (const Case& c : cases) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        useTexture(c.name);
        glColor3f(1, 1, 1);
        glBegin(GL_QUADS);
            glTexCoord2f(0.5f, 0.5f);
            glVertex2f(0, 0);
            glVertex2f(1, 0);
            glVertex2f(1, 1);
            glVertex2f(0, 1);
        glEnd();
        EXPECT_EQ(readImage().level(frameWidth / 2, frameHeight / 2), c.level) << "texture " << c.name;
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texture " << c.name;
        for (GLenum filter : {GL_TEXTURE_MAG_FILTER, GL_TEXTURE_MIN_FILTER}) {
            GLint value = 0;
            glGetTexParameteriv(GL_TEXTURE_2D, filter, &value);
            EXPECT_EQ(value, GL_LINEAR) << "texture " << c.name;
        }
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "texture " << c.name;
    }
    glDeleteTextures(1, &black);
}

TEST_F(GlowRender, SphereMapSwitchesCoordinateGenerationOnlyForSAndT)
{
    enableSphereMap(true);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_T));
    for (GLenum coordinate : {GL_S, GL_T}) {
        GLint mode = 0;
        glGetTexGeniv(coordinate, GL_TEXTURE_GEN_MODE, &mode);
        EXPECT_EQ(mode, GL_SPHERE_MAP);
    }
    for (int pass = 0; pass < 2; ++pass) { // off twice: the second changes nothing
        enableSphereMap(false);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GlowRender, GlowOverWhiteStaysWhiteAndOverBlackAddsItsColour)
{
    const auto sparkle = [] { drawSparkle(100, 0, 0, 0); };
    const Image overWhite = glowOver(1, 1, sparkle);
    for (std::uint8_t v : overWhite.rgb)
        ASSERT_EQ(v, 255);
    const Image overBlack = glowOver(0, 1, sparkle);
    EXPECT_GE(overBlack.level(frameWidth / 2, frameHeight / 2), 200);
    EXPECT_EQ(overBlack.level(5, 5), 0);
}

// A near sparkle drawn first must not hide a far one drawn after it: sparkles write no depth.
TEST_F(GlowRender, SparklesNeverHideOneAnother)
{
    // (400, 0, 200) lies on the line from scene 1's eye to the origin, so the two overlap.
    const Image nearOnly = glowOver(0, 0.1f, [] { drawSparkle(100, 400, 0, 200); });
    const Image farOnly = glowOver(0, 0.1f, [] { drawSparkle(100, 0, 0, 0); });
    const Image both = glowOver(0, 0.1f, [] {
        drawSparkle(100, 400, 0, 200);
        drawSparkle(100, 0, 0, 0);
    });
    int hidden = 0, overlapping = 0;
    for (int y = 0; y < frameHeight; ++y) {
        for (int x = 0; x < frameWidth; ++x) {
            if (farOnly.level(x, y) < 8 || nearOnly.level(x, y) == 0 || nearOnly.level(x, y) > 200)
                continue;
            ++overlapping;
            hidden += both.level(x, y) <= nearOnly.level(x, y);
        }
    }
    EXPECT_GT(overlapping, 100);
    EXPECT_EQ(hidden, 0);
}

TEST_F(GlowRender, GlowPassAndRestoreSetTheirState)
{
    struct Row {
        GLenum name;
        GLint afterPass, afterRestore;
    };
    const Row rows[] = {
        {GL_LIGHTING, GL_FALSE, GL_FALSE}, // the restore leaves lighting to the rings
        {GL_BLEND, GL_TRUE, GL_FALSE},
        {GL_CULL_FACE, GL_FALSE, GL_TRUE},
        {GL_TEXTURE_2D, GL_TRUE, GL_TRUE},
        {GL_DEPTH_WRITEMASK, GL_FALSE, GL_TRUE},
        {GL_BLEND_SRC, GL_ONE_MINUS_DST_COLOR, GL_ONE_MINUS_DST_COLOR},
        {GL_BLEND_DST, GL_ONE, GL_ONE},
        {GL_TEXTURE_BINDING_2D, showState.glowTexture, 0},
    };
    glEnable(GL_LIGHTING);
    beginGlowPass();
    for (const Row& row : rows)
        EXPECT_EQ(integerState(row.name), row.afterPass) << "state 0x" << std::hex << row.name << " in the pass";
    endGlowPass();
    for (const Row& row : rows)
        EXPECT_EQ(integerState(row.name), row.afterRestore) << "state 0x" << std::hex << row.name << " restored";
}

void expectLightVector(GLenum light, GLenum part, const float (&want)[4], const char* what)
{
    GLfloat got[4] = {};
    glGetLightfv(light, part, got);
    for (int k = 0; k < 4; ++k)
        EXPECT_FLOAT_EQ(got[k], want[k]) << what << " of light " << (light - GL_LIGHT0) << ", component " << k;
}

void expectRingLightingOn()
{
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(glIsEnabled(GLenum(GL_LIGHT0 + i))) << "light " << i;
}

// Set after the sparkles, once their translations are undone: each light sits on its sparkle.
TEST_F(GlowRender, LightRingLeavesEachLightOnItsSparkleInItsColours)
{
    const float colours[orbitItemCount][3] = {
        {0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 1}, {1, 0, 1}, {0.8f, 0.8f, 0.5f},
    };
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    beginGlowPass();
    drawLightRing(7000, 0, 0, -40, 0);
    endGlowPass();

    const OrbitItems items = orbitItems(7000, 0, 0, -40, 250.0);
    for (int i = 0; i < orbitItemCount; ++i) {
        const GLenum light = GLenum(GL_LIGHT0 + i);
        const float* c = colours[i];
        const float position[4] = {float(items[i].x), float(items[i].y), float(items[i].z), 1};
        expectLightVector(light, GL_POSITION, position, "position");
        if (i == 6) {
            expectLightVector(light, GL_SPECULAR, {0.8f, 0.8f, 0.5f, 1}, "specular");
            expectLightVector(light, GL_DIFFUSE, {0.6f, 0.6f, 0.3f, 1}, "diffuse");
            expectLightVector(light, GL_AMBIENT, {0.3f, 0.3f, 0.1f, 1}, "ambient");
            continue;
        }
        expectLightVector(light, GL_SPECULAR, {c[0], c[1], c[2], 1}, "specular");
        expectLightVector(light, GL_DIFFUSE, {0.8f * c[0], 0.8f * c[1], 0.8f * c[2], 1}, "diffuse");
        expectLightVector(light, GL_AMBIENT, {0.4f * c[0], 0.4f * c[1], 0.4f * c[2], 1}, "ambient");
    }
    expectLightVector(GL_LIGHT7, GL_DIFFUSE, {0, 0, 0, 1}, "diffuse");
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.8f);
    EXPECT_FLOAT_EQ(colour[1], 0.8f);
    EXPECT_FLOAT_EQ(colour[2], 0.5f);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
    expectRingLightingOn();
}

TEST_F(GlowRender, GlowRingKeepsTheCallersColourAndLights)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float marker[4] = {12, 34, 56, 1};
    glLightfv(GL_LIGHT3, GL_POSITION, marker);
    beginGlowPass();
    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
    drawGlowRing(7000, 0, 0, 0, 0);
    endGlowPass();
    expectLightVector(GL_LIGHT3, GL_POSITION, marker, "position");
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.2f);
    EXPECT_FLOAT_EQ(colour[3], 0.5f);
    expectRingLightingOn();
}

} // namespace
