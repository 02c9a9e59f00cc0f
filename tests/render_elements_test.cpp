// The scene elements drawn by the offscreen renderer and looked at: the sky cube around the
// camera, the ripple rings under a sphere map, the twin cube's place, and the GL state each
// builder leaves behind.
#include "support/offscreen_fixture.h"

#include "app/show_state.h"
#include "app/drawing_state.h"
#include "elements/cube_waves.h"
#include "elements/orbiting_cone.h"
#include "elements/ripple_surface.h"
#include "elements/sky_cube.h"
#include "elements/spiral.h"
#include "elements/stippled_path.h"
#include "textures/texture_state.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr int frameSide = 256;

struct Vec3 {
    double x, y, z;
};

struct Rgb {
    int red, green, blue;
};

using Picture = std::vector<std::uint8_t>;

// Window coordinates (origin bottom left, as GL reads pixels) of a point under the current
// matrices.
void projectNow(const Vec3& point, double& windowX, double& windowY)
{
    GLdouble modelview[16], projection[16], windowZ;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(point.x, point.y, point.z, modelview, projection, viewport, &windowX, &windowY, &windowZ);
}

Rgb pixelAt(const Picture& picture, int x, int y)
{
    const std::uint8_t* p = &picture[(std::size_t(y) * frameSide + std::size_t(x)) * 3];
    return {p[0], p[1], p[2]};
}

Rgb pixelAt(const Picture& picture, const Vec3& point)
{
    double x, y;
    projectNow(point, x, y);
    return pixelAt(picture, int(x), int(y));
}

bool isBlack(const Picture& picture)
{
    return std::all_of(picture.begin(), picture.end(), [](std::uint8_t v) { return v == 0; });
}

::testing::AssertionResult near(const Rgb& seen, const Rgb& expected)
{
    const int tolerance = 24;
    if (std::abs(seen.red - expected.red) <= tolerance && std::abs(seen.green - expected.green) <= tolerance &&
        std::abs(seen.blue - expected.blue) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "saw (" << seen.red << ", " << seen.green << ", " << seen.blue
                                         << "), expected (" << expected.red << ", " << expected.green << ", "
                                         << expected.blue << ")";
}

// A 64 x 64 RGB texture whose texel at (s, t) is colourAt(s, t); row 0 is t = 0.
GLuint makeTexture(const std::function<Rgb(double s, double t)>& colourAt)
{
    constexpr int side = 64;
    std::vector<std::uint8_t> texels;
    for (int row = 0; row < side; ++row)
        for (int column = 0; column < side; ++column) {
            const Rgb c = colourAt((column + 0.5) / side, (row + 0.5) / side);
            texels.insert(texels.end(), {std::uint8_t(c.red), std::uint8_t(c.green), std::uint8_t(c.blue)});
        }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, side, side, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

// Camera at the origin looking along `direction`.
void lookFromOrigin(const Vec3& direction, const Vec3& up)
{
    glLoadIdentity();
    gluLookAt(0, 0, 0, direction.x, direction.y, direction.z, up.x, up.y, up.z);
}

// Square frames, so that rings on the surface stay circles in the picture.
class ElementRendering : public OffscreenTestOf<frameSide, frameSide> {
protected:
    // Every test starts with lighting, culling and blending off, colour white and the show's projection.
    void SetUp() override
    {
        OffscreenTestOf::SetUp();
        if (HasFatalFailure())
            return;
        reshapeWindow(frameSide, frameSide);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glDisable(GL_BLEND);
        glColor3f(1, 1, 1);
        useTexture(0);
        glLoadIdentity();
    }

    static void clear() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

    static Picture picture() { return readImage().rgb; }
};

// The five faces, as the camera at the centre sees them: where it looks, which way is up, and the
// corners where texture coordinates (0, 0), (1, 0) and (0, 1) lie.
struct SkyFaceView {
    const char* name;
    Vec3 direction, up;
    Vec3 origin, sEnd, tEnd; // in units of h
    Rgb colour;
};

constexpr SkyFaceView skyFaceViews[] = {
    {"top z = +h", {0, 0, 1}, {1, 0, 0}, {1, -1, 1}, {1, 1, 1}, {-1, -1, 1}, {255, 0, 0}},
    {"side x = -h", {-1, 0, 0}, {0, 0, 1}, {-1, -1, 1}, {-1, 1, 1}, {-1, -1, -1}, {0, 0, 255}},
    {"side x = +h", {1, 0, 0}, {0, 0, 1}, {1, -1, -1}, {1, 1, -1}, {1, -1, 1}, {255, 255, 0}},
    {"side y = +h", {0, 1, 0}, {0, 0, 1}, {1, 1, -1}, {-1, 1, -1}, {1, 1, 1}, {255, 0, 255}},
    {"side y = -h", {0, -1, 0}, {0, 0, 1}, {-1, -1, 1}, {-1, -1, -1}, {1, -1, 1}, {0, 255, 255}},
};

constexpr Vec3 down{0, 0, -1};
constexpr Vec3 downUp{0, 1, 0};

TEST_F(ElementRendering, SkyCubeFacesHaveTheirColoursAndTheFloorIsOpen)
{
    for (const SkyFaceView& face : skyFaceViews) {
        lookFromOrigin(face.direction, face.up);
        clear();
        drawSkyCube(2000, true);
        const Picture seen = picture();
        EXPECT_TRUE(near(pixelAt(seen, frameSide / 2, frameSide / 2), face.colour)) << face.name;
        EXPECT_TRUE(near(pixelAt(seen, 2, 2), face.colour)) << face.name << ": the face does not fill the view";
    }
    lookFromOrigin(down, downUp);
    clear();
    drawSkyCube(2000, true);
    EXPECT_TRUE(isBlack(picture())) << "something is drawn below the camera";
}

TEST_F(ElementRendering, SkyCubeFacesTurnAwayFromTheCameraInside)
{
    // Seen from inside every face is a back face: with culling on, nothing is left.
    glEnable(GL_CULL_FACE);
    for (const SkyFaceView& face : skyFaceViews) {
        lookFromOrigin(face.direction, face.up);
        clear();
        drawSkyCube(2000, true);
        EXPECT_TRUE(isBlack(picture())) << face.name;
    }
}

TEST_F(ElementRendering, SkyCubePictureCoversEachFaceTheRightWayRound)
{
    // One colour per quarter of the picture, to see where each corner of it lands.
    const GLuint quarters = makeTexture([](double s, double t) -> Rgb {
        if (t < 0.5)
            return s < 0.5 ? Rgb{255, 0, 0} : Rgb{0, 255, 0};
        return s < 0.5 ? Rgb{0, 0, 255} : Rgb{255, 255, 255};
    });
    const Rgb expected[2][2] = {{{255, 0, 0}, {0, 255, 0}}, {{0, 0, 255}, {255, 255, 255}}}; // [t][s]
    const double h = 1000;
    for (const SkyFaceView& face : skyFaceViews) {
        lookFromOrigin(face.direction, face.up);
        clear();
        useTexture(quarters);
        drawSkyCube(2000, false);
        useTexture(0);
        const Picture seen = picture();
        for (int ti = 0; ti < 2; ++ti)
            for (int si = 0; si < 2; ++si) {
                const double s = 0.25 + 0.5 * si, t = 0.25 + 0.5 * ti;
                const Vec3 at{h * (face.origin.x + s * (face.sEnd.x - face.origin.x) + t * (face.tEnd.x - face.origin.x)),
                              h * (face.origin.y + s * (face.sEnd.y - face.origin.y) + t * (face.tEnd.y - face.origin.y)),
                              h * (face.origin.z + s * (face.sEnd.z - face.origin.z) + t * (face.tEnd.z - face.origin.z))};
                EXPECT_TRUE(near(pixelAt(seen, at), expected[ti][si])) << face.name << " at s " << s << ", t " << t;
            }
    }
    glDeleteTextures(1, &quarters);
}

// Brightness samples of a picture on circles about a centre pixel: how far they differ around
// each circle (rings have the same shade all round) and how often the shade along the radius
// crosses its mean (bands).
struct RingProfile {
    double spreadAround;  // mean over radii of the brightness range around the circle
    double rangeAlong;    // range of the mean brightness over radii
    int crossings;        // of the mean brightness profile across its own average
};

RingProfile ringProfile(const Picture& seen, double centreX, double centreY, int maxRadius)
{
    std::vector<double> means;
    double spreadSum = 0;
    for (int radius = 4; radius <= maxRadius; ++radius) {
        double low = 255, high = 0, sum = 0;
        constexpr int directions = 16;
        for (int k = 0; k < directions; ++k) {
            const double angle = 2 * 3.141592653589793 * k / directions;
            const Rgb c = pixelAt(seen, int(std::lround(centreX + radius * std::cos(angle))),
                                  int(std::lround(centreY + radius * std::sin(angle))));
            const double v = (c.red + c.green + c.blue) / 3.0;
            low = std::min(low, v);
            high = std::max(high, v);
            sum += v;
        }
        spreadSum += high - low;
        means.push_back(sum / directions);
    }
    RingProfile profile{};
    profile.spreadAround = spreadSum / means.size();
    const auto [lowest, highest] = std::minmax_element(means.begin(), means.end());
    profile.rangeAlong = *highest - *lowest;
    const double average = (*highest + *lowest) / 2;
    for (std::size_t i = 1; i < means.size(); ++i)
        profile.crossings += (means[i - 1] < average) != (means[i] < average);
    return profile;
}

class RippleRendering : public ElementRendering {
protected:
    void SetUp() override
    {
        ElementRendering::SetUp();
        // Bright where the normal faces the camera, dark where it leans away.
        sphereMap = makeTexture([](double s, double t) -> Rgb {
            const double shade = std::max(0.0, 1 - std::hypot(s - 0.5, t - 0.5) / 0.4);
            const int v = int(255 * shade);
            return {v, v, v};
        });
    }
    void TearDown() override { glDeleteTextures(1, &sphereMap); }

    // The surface at rest height 0 seen straight down from 800 above the origin.
    Picture drawSurface(double centreX, double centreY, double sceneTime)
    {
        glLoadIdentity();
        gluLookAt(0, 0, 800, 0, 0, 0, 0, 1, 0);
        clear();
        useTexture(sphereMap);
        enableSphereMap(true);
        drawRippleSurface(sceneTime, centreX, centreY, 0);
        enableSphereMap(false);
        useTexture(0);
        return picture();
    }

    GLuint sphereMap = 0;
};

TEST_F(RippleRendering, SphereMappedSurfaceShowsRingsAboutItsCentre)
{
    for (double sceneTime : {0.0, 18600.0}) {
        const Picture seen = drawSurface(0, 0, sceneTime);
        double x, y;
        projectNow({0, 0, 0}, x, y);
        const RingProfile rings = ringProfile(seen, x, y, 110);
        // Bands every half wavelength (about 27 pixels here), each the same shade all round.
        EXPECT_GE(rings.crossings, 6) << "at " << sceneTime;
        EXPECT_GT(rings.rangeAlong, 80) << "at " << sceneTime;
        EXPECT_LT(rings.spreadAround, rings.rangeAlong * 0.25) << "at " << sceneTime;
    }
}

TEST_F(RippleRendering, RingsFollowTheCentreWhenItMoves)
{
    const Picture first = drawSurface(0, 0, 5000);
    const Picture moved = drawSurface(120, -80, 5000);
    const Picture back = drawSurface(0, 0, 5000);
    EXPECT_TRUE(first == back) << "the surface differs on coming back to the same centre";
    EXPECT_FALSE(first == moved);
    double x, y;
    projectNow({120, -80, 0}, x, y);
    const RingProfile rings = ringProfile(moved, x, y, 80);
    EXPECT_GE(rings.crossings, 4);
    EXPECT_LT(rings.spreadAround, rings.rangeAlong * 0.25);
}

TEST_F(ElementRendering, TwinCubeIsTurnedIntoPlace)
{
    // Seen straight down in a parallel projection, 2 units a pixel: the cube at (x, y, z) shows at
    // (x, y), its twin at (x, -z, y) shows at (x, -z).
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-256, 256, -256, 256, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    clear();
    drawCubePair(100, 60, -150, allOfSpace);
    const Picture seen = picture();
    const Rgb white{255, 255, 255}, black{0, 0, 0};
    EXPECT_TRUE(near(pixelAt(seen, {100, 60, 0}), white)) << "the first cube";
    EXPECT_TRUE(near(pixelAt(seen, {100, 150, 0}), white)) << "the twin";
    EXPECT_TRUE(near(pixelAt(seen, {100, 105, 0}), black)) << "between the two";
    EXPECT_TRUE(near(pixelAt(seen, {100, -150, 0}), black)) << "where a twin turned in place would be";
}

TEST_F(ElementRendering, BuildersLeaveTheMatrixStackAsTheyFoundIt)
{
    const std::pair<const char*, std::function<void()>> builders[] = {
        {"drawSkyCube", [] { drawSkyCube(2000, true); }},
        {"drawRippleSurface", [] { drawRippleSurface(4500, 0, 0, -930); }},
        {"drawCubeWaves", [] { drawCubeWaves(1000, allOfSpace); }},
        {"drawCubePair", [] { drawCubePair(1, 2, 3, allOfSpace); }},
        {"drawSpiral", [] { drawSpiral(100, 10, 20, 30); }},
        {"drawStippledPath", [] { drawStippledPath(4500); }},
        {"drawOrbitingCone", [] { drawOrbitingCone(12.5); }},
    };
    glPushMatrix(); // a caller's own level, so that a stray pop would show too
    GLint before = 0, after = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &before);
    for (const auto& [name, draw] : builders) {
        draw();
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &after);
        EXPECT_EQ(after, before) << name;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << name;
    }
    glPopMatrix();
}

TEST_F(ElementRendering, StippledPathLeavesWidth10AndStippleOff)
{
    glLineWidth(1);
    drawStippledPath(0);
    GLfloat width = 0;
    GLint factor = 0, pattern = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    glGetIntegerv(GL_LINE_STIPPLE_REPEAT, &factor);
    glGetIntegerv(GL_LINE_STIPPLE_PATTERN, &pattern);
    EXPECT_EQ(width, 10.0f) << "every later line is drawn 10 wide";
    EXPECT_FALSE(glIsEnabled(GL_LINE_STIPPLE));
    EXPECT_EQ(factor, 4);
    EXPECT_EQ(pattern, 0xF0F0);
}

} // namespace
