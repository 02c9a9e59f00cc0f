// The show's fast paths against the literal forms they replace, on whole frames drawn by the real
// frame path: every pixel must be the same, or the speed-up has changed the picture.
#include "support/offscreen_fixture.h"

#include "app/replay.h"
#include "app/show_state.h"
#include "elements/cube_waves.h"
#include "elements/ripple_surface.h"
#include "elements/solids.h"
#include "scenes/cameras.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <cmath>
#include <cstdint>
#include <functional>

namespace {

class FastPathPixels : public OffscreenTest {
protected:
    void TearDown() override
    {
        setRipplePath(RipplePath::arrays);
        setSolidPath(SolidPath::recorded);
    }

    // The frame at `showTimeMs` of a 60 fps run, drawn with the ripple path given. The run's
    // earlier frames are drawn the same way, so the state they hand on comes from that path too.
    static Image frameWith(RipplePath path, std::uint32_t showTimeMs)
    {
        setRipplePath(path);
        replayRunUntil(showTimeMs, 60);
        return renderShowFrame(showTimeMs);
    }

    // The same with the solids drawn the way given.
    static Image frameWith(SolidPath path, std::uint32_t showTimeMs)
    {
        setSolidPath(path);
        replayRunUntil(showTimeMs, 60);
        return renderShowFrame(showTimeMs);
    }

    static std::size_t differingBytes(const Image& a, const Image& b)
    {
        std::size_t differing = 0;
        for (std::size_t i = 0; i < a.rgb.size(); ++i)
            differing += a.rgb[i] != b.rgb[i];
        return differing;
    }
};

TEST_F(FastPathPixels, SharedRippleHeightsAndVertexArraysLeaveEveryPixelOfScene5)
{
    // The surface far below, the sphere sinking through it, the ring closing in, light 0 turned
    // white, and the last frame of the show. Each frame also starts from the normal that the
    // previous frame's surface left current, which lights the sky cube.
    for (std::uint32_t showTimeMs : {92000u, 101234u, 107777u, 110600u, 112001u, 114799u}) {
        const Image literal = frameWith(RipplePath::literal, showTimeMs);
        ASSERT_GT(literal.totalBrightness(), 0) << "nothing drawn at " << showTimeMs;
        EXPECT_EQ(differingBytes(literal, frameWith(RipplePath::immediate, showTimeMs)), 0u)
            << "shared heights, at " << showTimeMs;
        EXPECT_EQ(differingBytes(literal, frameWith(RipplePath::arrays, showTimeMs)), 0u)
            << "vertex arrays, at " << showTimeMs;
    }
}

TEST_F(FastPathPixels, VertexArraysLeaveTheStateImmediateModeLeaves)
{
    struct Left {
        GLfloat normal[4];
        GLboolean vertexArray, normalArray;
    };
    const auto drawAndLook = [](RipplePath path) {
        setRipplePath(path);
        glNormal3f(0.25f, 0.5f, 0.75f);
        drawRippleSurface(5000, 0, 0, -930);
        Left left{};
        glGetFloatv(GL_CURRENT_NORMAL, left.normal);
        left.vertexArray = glIsEnabled(GL_VERTEX_ARRAY);
        left.normalArray = glIsEnabled(GL_NORMAL_ARRAY);
        return left;
    };
    const Left literal = drawAndLook(RipplePath::literal);
    const Left arrays = drawAndLook(RipplePath::arrays);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(arrays.normal[i], literal.normal[i]) << "current normal, component " << i;
    EXPECT_FALSE(arrays.vertexArray);
    EXPECT_FALSE(arrays.normalArray);
}

// How many of the frame's 1148 cubes the cull test skips, under scene 2's camera at `sceneTime`.
int cubesOutside(double sceneTime)
{
    const ShowState kept = showState;
    const ViewVolume view = viewVolumeFrom(placeScene2Camera(sceneTime));
    showState = kept;
    const double r = cubeCullRadius();
    int outside = 0;
    for (const CubeWavePoint& p : cubeWavePoints(int(sceneTime)))
        for (double y : {p.y1, p.y2})
            outside += sphereOutside(view, p.x, y, p.z, r) + sphereOutside(view, p.x, -p.z, y, r);
    return outside;
}

TEST_F(FastPathPixels, RecordedSolidsAndSkippedCubesLeaveEveryPixelOfScenes2To4)
{
    // Scene 2 from its first frame to its last: the camera glides in among the cubes (its x runs
    // from 680 to 113 inside the field's -1099 to 901), cubes enter and leave the view at every
    // edge; scene 3's sphere and moons; scene 4's sphere and moons sinking away, then gone.
    struct Moment {
        std::uint32_t showTimeMs;
        const char* what;
    };
    const Moment moments[] = {
        {25000, "scene 2, first frame"}, {29017, "scene 2"}, {33500, "scene 2, camera among the cubes"},
        {38250, "scene 2"},              {41983, "scene 2, last frame"}, {42000, "scene 3, first frame"},
        {55555, "scene 3"},              {66983, "scene 3, last frame"}, {67000, "scene 4, first frame"},
        {74000, "scene 4, moons sinking"}, {85000, "scene 4, moons gone"},
    };
    for (const Moment& m : moments) {
        // Replay rebuilds what scenes hand on, not the GL state (lights, material) that earlier
        // frames leave: a frame drawn first lets both paths start from the same state.
        frameWith(SolidPath::literal, m.showTimeMs);
        const Image literal = frameWith(SolidPath::literal, m.showTimeMs);
        ASSERT_GT(literal.totalBrightness(), 0) << "nothing drawn at " << m.showTimeMs;
        EXPECT_EQ(differingBytes(literal, frameWith(SolidPath::recorded, m.showTimeMs)), 0u)
            << m.what << ", at " << m.showTimeMs;
        if (m.showTimeMs < 42000) {
            // Only a frame where some cubes are skipped and some drawn tests the skipping.
            const int outside = cubesOutside(double(m.showTimeMs - 25000));
            EXPECT_GT(outside, 0) << m.what;
            EXPECT_LT(outside, 4 * cubeWavePointCount) << m.what;
        }
    }
}

// Every cube the test skips lies wholly beyond one of the clip planes of the matrices GL itself
// holds for the frame (single precision, as GLU and GL build them): all eight corners outside it.
TEST_F(FastPathPixels, EverySkippedCubeIsOutsideTheViewGLHolds)
{
    for (std::uint32_t showTimeMs : {25000u, 33500u, 41983u}) {
        setSolidPath(SolidPath::recorded);
        replayRunUntil(showTimeMs, 60);
        renderShowFrame(showTimeMs);
        // After scene 2 the modelview matrix is the camera's alone.
        GLdouble projection[16], modelview[16];
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        const double sceneTime = showState.sceneTime;
        const ViewVolume view = viewVolumeFrom(placeScene2Camera(sceneTime));
        int skipped = 0;
        // One cube: translated to `at`, turned 45 degrees about z, after a quarter turn about x
        // for a twin.
        const auto checkCube = [&](double x, double y, double z, bool twin) {
            const double cx = x, cy = twin ? -z : y, cz = twin ? y : z;
            if (!sphereOutside(view, cx, cy, cz, cubeCullRadius()))
                return;
            ++skipped;
            const double h = 12.5, k = std::sqrt(0.5);
            bool outsideOne[6] = {true, true, true, true, true, true};
            for (int corner = 0; corner < 8; ++corner) {
                const double a = corner & 1 ? h : -h, b = corner & 2 ? h : -h, e = corner & 4 ? h : -h;
                const double placed[3] = {x + k * a - k * b, y + k * a + k * b, z + e};
                const double p[3] = {placed[0], twin ? -placed[2] : placed[1], twin ? placed[1] : placed[2]};
                double clip[4];
                for (int row = 0; row < 4; ++row) {
                    double eyeRow[4];
                    for (int r = 0; r < 4; ++r)
                        eyeRow[r] = modelview[r] * p[0] + modelview[4 + r] * p[1] + modelview[8 + r] * p[2] + modelview[12 + r];
                    clip[row] = projection[row] * eyeRow[0] + projection[4 + row] * eyeRow[1] +
                                projection[8 + row] * eyeRow[2] + projection[12 + row] * eyeRow[3];
                }
                for (int plane = 0; plane < 6; ++plane) {
                    const double v = clip[plane / 2] * (plane % 2 ? -1 : 1);
                    outsideOne[plane] = outsideOne[plane] && v < -clip[3];
                }
            }
            bool outside = false;
            for (bool o : outsideOne)
                outside = outside || o;
            EXPECT_TRUE(outside) << "cube at " << cx << ", " << cy << ", " << cz << " skipped at " << showTimeMs;
        };
        for (const CubeWavePoint& p : cubeWavePoints(int(sceneTime)))
            for (double y : {p.y1, p.y2}) {
                checkCube(p.x, y, p.z, false);
                checkCube(p.x, y, p.z, true);
            }
        EXPECT_GT(skipped, 0) << "at " << showTimeMs;
    }
}

// Replaying a solid leaves the current normal and texture coordinate where the library's own call
// leaves them: GLUT's solids (client arrays) leave them alone, the quadric sphere (immediate mode)
// leaves its last vertex's. A sky cube drawn next frame is lit with whatever normal is current.
TEST_F(FastPathPixels, ReplayedSolidsLeaveTheCurrentValuesTheLibraryLeaves)
{
    const std::pair<const char*, std::function<void()>> solids[] = {
        {"cube", [] { drawSolidCube(25.0); }},
        {"sphere 80", [] { drawSolidSphere(80.0, 80, 80); }},
        {"moon", [] { drawSolidSphere(30.0, 50, 50); }},
        {"small moon", [] { drawSolidSphere(15.0, 50, 50); }},
        {"cone", [] { drawSolidCone(100.0, 80.0, 50, 50); }},
        {"quadric sphere", [] { drawQuadricSphere(showState.quadric, 80.0, 50, 50); }},
    };
    struct Current {
        GLfloat normal[4], texture[4];
    };
    const auto drawAndLook = [](SolidPath path, const std::function<void()>& draw) {
        setSolidPath(path);
        glNormal3f(0.25f, 0.5f, 0.75f);
        glTexCoord2f(0.125f, 0.375f);
        draw();
        Current current{};
        glGetFloatv(GL_CURRENT_NORMAL, current.normal);
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, current.texture);
        return current;
    };
    for (const auto& [name, draw] : solids) {
        const Current literal = drawAndLook(SolidPath::literal, draw);
        const Current recorded = drawAndLook(SolidPath::recorded, draw);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(recorded.normal[i], literal.normal[i]) << name << ", normal component " << i;
            EXPECT_EQ(recorded.texture[i], literal.texture[i]) << name << ", texture coordinate " << i;
        }
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << name;
    }
}

} // namespace
