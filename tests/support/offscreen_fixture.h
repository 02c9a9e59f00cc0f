// Rendering-test support: the offscreen renderer opened once per test suite at the suite's frame
// size (each suite starts from the show's fresh GL state), frames read back as images, and world
// points projected into them through the show's projection. Header only: every file under support/ is linked into all
// test programs, and only the rendering tests link the offscreen renderer.
#pragma once

#include "capture/offscreen.h"
#include "elements/light_ring.h"
#include "scenes/cameras.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <unistd.h>
#include <vector>

template <int Width, int Height>
class OffscreenTestOf : public ::testing::Test {
public:
    // One frame as read back: rows bottom-up, three bytes a pixel.
    struct Image {
        int width = 0;
        int height = 0;
        std::vector<std::uint8_t> rgb;

        // The brightest channel of the pixel at column x, row y (row 0 at the bottom).
        int level(int x, int y) const
        {
            const std::uint8_t* p = &rgb[(std::size_t(y) * width + x) * 3];
            return std::max({p[0], p[1], p[2]});
        }

        int maxLevel() const { return rgb.empty() ? 0 : *std::max_element(rgb.begin(), rgb.end()); }

        // The sum of every channel of every pixel.
        long long totalBrightness() const
        {
            long long sum = 0;
            for (std::uint8_t v : rgb)
                sum += v;
            return sum;
        }
    };

    struct Point {
        double x, y, z;
    };

    // Window coordinates: x to the right, y up from the bottom row, in pixels.
    struct Pixel {
        double x, y;
    };

    static constexpr int frameWidth = Width;
    static constexpr int frameHeight = Height;

    static void SetUpTestSuite()
    {
        // The pictures come from the build (./iroiro/ beside the tests); without them the
        // loader would stop on a modal notice.
        if (access("./iroiro/syfyd.bmp", R_OK) != 0) {
            openFailure() = "no ./iroiro/syfyd.bmp: run the rendering tests from the build folder after a full build";
            return;
        }
        resetRingRadii();
        openFailure().clear();
        if (!openOffscreen(frameWidth, frameHeight, openFailure()) && openFailure().empty())
            openFailure() = "the offscreen renderer did not open";
    }

    static void TearDownTestSuite() { closeOffscreen(); }

protected:
    void SetUp() override
    {
        if (!openFailure().empty())
            FAIL() << openFailure();
    }

    // The show's frame at `showTimeMs`, drawn through the real frame path.
    static Image renderShowFrame(std::uint32_t showTimeMs)
    {
        EXPECT_TRUE(renderOffscreenFrame(showTimeMs)) << "frame " << showTimeMs;
        return readImage();
    }

    // Whatever the framebuffer holds now.
    static Image readImage()
    {
        Image image;
        image.width = frameWidth;
        image.height = frameHeight;
        readOffscreenPixels(image.rgb);
        return image;
    }

    static GLint integerState(GLenum name)
    {
        GLint value = -1;
        glGetIntegerv(name, &value);
        return value;
    }

    // Where `point` lands when seen from `eye` towards `centre` with `up`, through the show's
    // 60-degree projection of aspect 1 with the whole frame as viewport. Computed apart from the
    // scene code, so a scene that places its camera wrongly is caught.
    static Pixel project(Point eye, Point centre, Point up, Point point)
    {
        const View view = viewFrom(eye, centre, up);
        GLdouble x = 0, y = 0, z = 0;
        gluProject(point.x, point.y, point.z, view.modelview, view.projection, view.viewport, &x, &y, &z);
        return {x, y};
    }

    // The world point whose surface the last frame shows at `pixel` when seen that way, from the
    // depth buffer; a point on the far plane where nothing was drawn.
    static Point surfaceAt(Point eye, Point centre, Point up, Pixel pixel)
    {
        GLfloat depth = 1.0f;
        glReadPixels(int(pixel.x), int(pixel.y), 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        const View view = viewFrom(eye, centre, up);
        Point p{};
        gluUnProject(int(pixel.x) + 0.5, int(pixel.y) + 0.5, depth, view.modelview, view.projection, view.viewport,
                     &p.x, &p.y, &p.z);
        return p;
    }

private:
    struct View {
        GLdouble projection[16];
        GLdouble modelview[16];
        GLint viewport[4];
    };

    static View viewFrom(Point eye, Point centre, Point up)
    {
        View view{{}, {}, {0, 0, frameWidth, frameHeight}};
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
            glLoadIdentity();
            gluPerspective(showLens.fovyDegrees, showLens.aspect, showLens.nearDistance, showLens.farDistance);
            glGetDoublev(GL_PROJECTION_MATRIX, view.projection);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
            glLoadIdentity();
            gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
            glGetDoublev(GL_MODELVIEW_MATRIX, view.modelview);
        glPopMatrix();
        return view;
    }

    static std::string& openFailure()
    {
        static std::string reason;
        return reason;
    }
};

// The size most rendering tests use: not square, so the picture is stretched as in a window.
using OffscreenTest = OffscreenTestOf<500, 400>;
