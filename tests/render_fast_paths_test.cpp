// The show's fast paths against the literal forms they replace, on whole frames drawn by the real
// frame path: every pixel must be the same, or the speed-up has changed the picture.
#include "support/offscreen_fixture.h"

#include "app/replay.h"
#include "elements/ripple_surface.h"

#include <GL/gl.h>

#include <cstdint>

namespace {

class FastPathPixels : public OffscreenTest {
protected:
    void TearDown() override { setRipplePath(RipplePath::arrays); }

    // The frame at `showTimeMs` of a 60 fps run, drawn with the ripple path given. The run's
    // earlier frames are drawn the same way, so the state they hand on comes from that path too.
    static Image frameWith(RipplePath path, std::uint32_t showTimeMs)
    {
        setRipplePath(path);
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

TEST_F(FastPathPixels, SharedRippleHeightsOrVertexArraysChangeAPixelOfScene5)
{
    // The sheet far below, the sphere sinking through it, the ring closing in, light 0 turned
    // white, and the last frame of the show. Each frame also starts from the normal that the
    // previous frame's sheet left current, which lights the sky cube.
    for (std::uint32_t showTimeMs : {92000u, 101234u, 107777u, 110600u, 112001u, 114799u}) {
        const Image literal = frameWith(RipplePath::literal, showTimeMs);
        ASSERT_GT(literal.totalBrightness(), 0) << "nothing drawn at " << showTimeMs;
        EXPECT_EQ(differingBytes(literal, frameWith(RipplePath::immediate, showTimeMs)), 0u)
            << "shared heights, at " << showTimeMs;
        EXPECT_EQ(differingBytes(literal, frameWith(RipplePath::arrays, showTimeMs)), 0u)
            << "vertex arrays, at " << showTimeMs;
    }
}

TEST_F(FastPathPixels, VertexArraysLeaveOtherStateBehindThanImmediateMode)
{
    struct Left {
        GLfloat normal[4];
        GLboolean vertexArray, normalArray;
    };
    const auto drawAndLook = [](RipplePath path) {
        setRipplePath(path);
        glNormal3f(0.25f, 0.5f, 0.75f);
        drawRippleSurface(0, 0, -930);
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

} // namespace
